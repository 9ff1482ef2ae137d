#pragma once

#include "core/Result.h"

#include <QString>
#include <QStringList>

// The one check every name or text passes before the tool sends it: the server keeps it
// only up to its length limit, and the wire is GBK, so a character without a GBK form
// would arrive as "?" and be stored so.
namespace corvanta::outgoing {

enum class TextKind {
    Name,      // class, student, group, topic and account names
    ScaleText, // a scale's or a scoring standard's text
    Note,      // the standard/note field of a score line
};

// The failure's text names the text and its problem, for a "提示" box.
Result checkText(const QString &text, TextKind kind);
Result checkTexts(const QStringList &texts, TextKind kind);

// Texts the server refuses whole, checked alike before sending and on arrival: a class's
// student list with every name holding more than blanks and none twice; a text that must say
// something (a scale's text, an upload's topic), `what` naming it ("评分标准", "课题").
Result checkStudentList(const QStringList &names);
Result checkFilled(const QString &text, const QString &what);

} // namespace corvanta::outgoing
