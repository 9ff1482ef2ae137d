#pragma once

#include "core/Result.h"
#include "net/ScoreLine.h"

#include <QDate>
#include <QString>

namespace corvanta {

// A text made safe as part of a file name: characters that file names do not allow
// (/ \ : * ? " < > | and control characters) become "_".
QString safeFileNamePart(const QString &text);

// "user_class_yyyy-MM-dd.Log": one log per user, class and calendar day.
QString dailyLogFileName(const QString &loginUser, const QString &className, const QDate &day);

// Appends the line and CR LF to the file as GBK text, creating the file when missing.
Result AppendLine(const QString &path, const QString &line);

// What the day's log gets for a pending score the teacher removed: "已删除", the time of
// the removal and the score's fields, TAB-separated. Never read back as a score.
QString removedLogLine(const ScoreLine &line, const QDateTime &when);

} // namespace corvanta
