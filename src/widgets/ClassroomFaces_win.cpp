// The faces on Windows: YaHei (Vista and later), SimSun where it is missing.
#include "ClassroomLook.h"

#include <QFont>

namespace corvanta {

QStringList chineseFaces()
{
    return {QStringLiteral("Microsoft YaHei"), QStringLiteral("SimSun")};
}

void substituteMissingFaces()
{
    // The Latin faces the windows name are Windows' own; their Chinese comes from YaHei.
    for (const char *face : {"Comic Sans MS", "Arial Narrow", "Arial Black"})
        QFont::insertSubstitutions(QString::fromLatin1(face), chineseFaces());
}

} // namespace corvanta
