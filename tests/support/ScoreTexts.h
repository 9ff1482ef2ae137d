#pragma once

#include "net/ScoreLine.h"

#include <QList>
#include <QStringList>
#include <QtGlobal>

// Tests write scores the way files hold them; these turn such texts into values.
namespace corvanta::test {

inline ScoreLine score(const QString &text)
{
    const std::optional<ScoreLine> line = ScoreLine::parse(text);
    if (!line)
        qFatal("not a score line: %s", qPrintable(text));
    return *line;
}

// The texts that are score lines, as values; the others are left out, as no file reader
// would take them.
inline QList<ScoreLine> scores(const QStringList &texts)
{
    QList<ScoreLine> lines;
    for (const QString &text : texts) {
        if (const std::optional<ScoreLine> line = ScoreLine::parse(text))
            lines.append(*line);
    }
    return lines;
}

} // namespace corvanta::test
