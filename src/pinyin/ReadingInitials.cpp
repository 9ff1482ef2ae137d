#include "ReadingInitials.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace corvanta {

namespace {

struct OtherReading
{
    char16_t code;
    const char *letters;
};

#include "ReadingInitialsTable.inc"

// The unified block as one set per code, unpacked once for the whole run.
const std::vector<InitialSet> &unifiedSets()
{
    static const std::vector<InitialSet> sets = [] {
        std::vector<InitialSet> result;
        result.reserve(UnifiedLast - UnifiedFirst + 1);
        for (const char *line : UnifiedInitials) {
            for (const char *p = line; *p; ++p) {
                if (*p == '[') {
                    InitialSet set = 0;
                    while (*++p && *p != ']')
                        set |= initialBit(char16_t(*p));
                    result.push_back(set);
                    if (!*p)
                        break;
                } else {
                    result.push_back(initialBit(char16_t(*p))); // "." gives none
                }
            }
        }
        return result;
    }();
    return sets;
}

InitialSet setOfLatin1(const char *letters)
{
    InitialSet set = 0;
    for (const char *p = letters; *p; ++p)
        set |= initialBit(char16_t(*p));
    return set;
}

} // namespace

InitialSet readingInitials(QChar c)
{
    const char16_t code = c.unicode();
    if (code >= UnifiedFirst && code <= UnifiedLast) {
        const std::vector<InitialSet> &sets = unifiedSets();
        const size_t index = code - UnifiedFirst;
        return index < sets.size() ? sets[index] : 0;
    }
    const auto it = std::lower_bound(std::begin(OtherInitials), std::end(OtherInitials), code,
                                     [](const OtherReading &r, char16_t key) { return r.code < key; });
    return it != std::end(OtherInitials) && it->code == code ? setOfLatin1(it->letters) : 0;
}

QString initialLetters(InitialSet set)
{
    QString letters;
    for (char16_t letter = u'A'; letter <= u'Z'; ++letter) {
        if (set & initialBit(letter))
            letters += QChar(letter);
    }
    return letters;
}

InitialSet initialSetOf(QStringView letters)
{
    InitialSet set = 0;
    for (const QChar c : letters)
        set |= initialBit(c.unicode());
    return set;
}

} // namespace corvanta
