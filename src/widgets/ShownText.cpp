#include "ShownText.h"

#include <algorithm>

namespace corvanta {

namespace {

// What a cut text keeps: well inside the limits, since a box of 1,500 Chinese characters is
// already about as tall as a screen.
constexpr qsizetype HeadChars = 1200;
constexpr qsizetype HeadLines = 24;
constexpr qsizetype TailChars = 200;
constexpr qsizetype TailLines = 4;

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
