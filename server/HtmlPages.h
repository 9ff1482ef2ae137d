#pragma once

#include "Store.h"

#include <QString>
#include <QStringList>

// The pages people open in a browser: UTF-8 HTML with the style sheet (and the sorting
// script) inside, nothing loaded from anywhere else. Every stored text is escaped.
namespace corvanta::server::html {

QString esc(const QString &text);
// A time for a table cell, "yyyy-MM-dd hh:mm", its year dropped on a phone; "—" for 0.
QString timeCell(qint64 seconds);
// A whole page; withScript adds the table-sorting script.
QString document(const QString &title, const QString &body, bool withScript = false);
// The address of a class's page (or CSV download) with the class name escaped as the server
// reads it (GBK), and the sort order when given; not yet HTML-escaped.
QString classAddress(const char *path, const QString &className, const QString &sort = {});
// The top line of a signed-in page: links, the teacher and the "退出" button.
QString signedInBar(const Teacher &teacher, const QString &links);

QString signInPage(const QString &message);
// The signed-in teacher's classes at a glance and the newest scores.
QString homePage(const Teacher &teacher, const QList<ClassSummary> &classes,
                 const QList<ScoreRecord> &recent);
QString recentScoresPage(const Teacher &teacher, const QList<ScoreRecord> &recent);
QString notFoundPage(const QString &text);
QString vendorHomePage(const QString &version);
QString updatePage(const QString &version);

} // namespace corvanta::server::html
