#include "RecordFile.h"

#include <algorithm>

namespace corvanta {

QString standardListLine(const Standard &standard)
{
    return QStringLiteral("[") + standard.score + QStringLiteral("分]") + u'\t' + standard.text;
}

int nameFontSize(int widthTwips, int textLength)
{
    if (textLength <= 0)
        return 0;
    const int size = widthTwips / (textLength * 24);
    return std::clamp(size, 1, 70);
}

} // namespace corvanta
