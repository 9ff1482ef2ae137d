#include "ShownText.h"

#include <algorithm>

namespace corvanta {

namespace {

constexpr qsizetype HeadChars = 3000;
constexpr qsizetype HeadLines = 30;
constexpr qsizetype TailChars = 400;
constexpr qsizetype TailLines = 5;

} // namespace

QString boundShownText(const QString &text)
{
    if (text.size() <= MaxShownChars && text.count(u'\n') < MaxShownLines)
        return text;

    qsizetype headEnd = std::min(text.size(), HeadChars);
    qsizetype lines = 0;
    for (qsizetype i = 0; i < headEnd; ++i) {
        if (text[i] == u'\n' && ++lines == HeadLines)
            headEnd = i + 1;
    }
    qsizetype tailStart = std::max(headEnd, text.size() - TailChars);
    lines = 0;
    for (qsizetype i = text.size() - 1; i >= tailStart; --i) {
        if (text[i] == u'\n' && ++lines == TailLines)
            tailStart = i;
    }
    // Never half a surrogate pair at either cut.
    if (headEnd > 0 && text[headEnd - 1].isHighSurrogate())
        --headEnd;
    if (tailStart < text.size() && text[tailStart].isLowSurrogate())
        ++tailStart;
    return text.left(headEnd) + QStringLiteral("…") + text.sliced(tailStart);
}

} // namespace corvanta
