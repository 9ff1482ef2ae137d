#include "StandardLine.h"

#include "core/TextCodec.h"

namespace corvanta {

namespace {
const QChar kTab = u'\t';
}

bool standardGiven(const QString &standardsLine)
{
    return standardsLine.contains(QStringLiteral("分]√\t"));
}

std::optional<StandardScore> scoreFromStandardLine(const QString &standardsLine)
{
    const qsizetype tab = standardsLine.indexOf(kTab);
    if (tab < 0 || standardGiven(standardsLine))
        return std::nullopt;

    const QString head = standardsLine.left(tab);
    QString number = head;
    number.remove(u'[');

    StandardScore given;
    given.score = shortestDecimal(leadingNumber(number)) + QStringLiteral("分");
    given.standard = standardsLine.section(kTab, 1, 1);
    // Only the score field carries the mark: a "]" inside the standard text stays as written.
    QString markedHead = head;
    markedHead.replace(u']', QStringLiteral("]√"));
    given.markedLine = markedHead + standardsLine.mid(tab);
    return given;
}

} // namespace corvanta
