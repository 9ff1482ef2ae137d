// The faces on Linux: Noto for Chinese, kindred faces for the Windows ones the windows name.
#include "ClassroomLook.h"

#include <QFont>

namespace corvanta {

namespace {
// Without it fontconfig draws CJK with the Japanese face unless the locale is Chinese.
const QString kChineseFace = QStringLiteral("Noto Sans CJK SC");
} // namespace

QStringList chineseFaces()
{
    return {kChineseFace};
}

void substituteMissingFaces()
{
    // Metric-compatible or kindred faces.
    QFont::insertSubstitution(QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue"));
    QFont::insertSubstitution(QStringLiteral("Arial Narrow"), QStringLiteral("Liberation Sans Narrow"));
    // Lato has a Black weight, as heavy as Arial Black.
    QFont::insertSubstitution(QStringLiteral("Arial Black"), QStringLiteral("Lato"));
    for (const char *face : {"Comic Sans MS", "Arial Narrow", "Arial Black"})
        QFont::insertSubstitution(QString::fromLatin1(face), kChineseFace);
}

} // namespace corvanta
