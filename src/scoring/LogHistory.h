#pragma once

#include <QDate>
#include <QString>

#include <optional>

namespace corvanta {

// The newest day whose log (of this user and class, in the data folder) holds a score of
// the student; nothing when no log does. Logs that cannot be read, or are larger than any
// day's scores, are passed over.
std::optional<QDate> lastScoredDate(const QString &dataDir, const QString &loginUser,
                                    const QString &className, const QString &student);

} // namespace corvanta
