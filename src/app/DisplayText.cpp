#include "DisplayText.h"

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

QStringList nameInTwoLines(const QString &name)
{
    const QString text = name.trimmed();
    if (text.size() < 2)
        return {text};
    const qsizetype middle = text.size() / 2;
    // The break nearest the middle among the characters matched; -1 when there is none.
    const auto nearest = [&](auto isBreak) {
        qsizetype best = -1;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (isBreak(text[i]) && (best < 0 || qAbs(i - middle) < qAbs(best - middle)))
                best = i;
        }
        return best;
    };
    const qsizetype dot = nearest([](QChar c) { return c == u'·' || c == u'•' || c == u'・'; });
    // The dot ends the first line; a dot at either end breaks nothing.
    if (dot > 0 && dot + 1 < text.size())
        return {text.left(dot + 1), text.mid(dot + 1)};
    const qsizetype space = nearest([](QChar c) { return c.isSpace(); });
    if (space > 0)
        return {text.left(space).trimmed(), text.mid(space + 1).trimmed()};
    // Between characters, never inside a surrogate pair.
    qsizetype cut = (text.size() + 1) / 2;
    if (text[cut].isLowSurrogate())
        ++cut;
    if (cut >= text.size())
        return {text};
    return {text.left(cut), text.mid(cut)};
}

} // namespace corvanta
