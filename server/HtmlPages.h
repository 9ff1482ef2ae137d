#pragma once

#include "Store.h"

#include <QString>
#include <QStringList>

// The few pages people open in a browser: plain UTF-8 HTML, no external assets.
namespace corvanta::server::html {

QString signInPage(const QString &message);
QString teacherPage(const Teacher &teacher, const QList<ClassData> &classes,
                    const QList<ScoreRecord> &recent);
QString recentScoresPage(const Teacher &teacher, const QList<ScoreRecord> &recent);
QString vendorHomePage(const QString &version);
QString updatePage(const QString &version);

} // namespace corvanta::server::html
