#pragma once

#include "core/Result.h"

#include <QDate>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

namespace corvanta {

class Clock;

// Who is absent today, per class, kept in the data folder so that a restart in the same
// lesson keeps it. One small file per class and day; a new day finds no file and so starts
// with nobody absent. Every change rewrites the day's file atomically; when that fails the
// change still holds in memory and the result says why.
class AbsentStore
{
public:
    AbsentStore(QString dataDir, const Clock &clock);

    // "Absent_<class>_<yyyy-MM-dd>.txt": the names, one a line, UTF-8 (a name the GBK code
    // page cannot hold must come back the same).
    static QString fileName(const QString &className, const QDate &day);

    // The absent names of the class today, in the order they were marked.
    QStringList absent(const QString &className);
    QSet<QString> absentSet(const QString &className);
    bool isAbsent(const QString &className, const QString &name);
    int count(const QString &className) { return int(absent(className).size()); }

    Result setAbsent(const QString &className, const QString &name, bool absent);

    // Whether the last file read was taken whole; else why not (too large, unreadable).
    Result lastRead() const { return m_problem.isEmpty() ? Result::success() : Result::failure(m_problem); }

private:
    QStringList &today(const QString &className);
    QString filePath(const QString &className, const QDate &day) const;

    QString m_dataDir;
    const Clock &m_clock;
    QDate m_day;                        // the day the kept lists belong to
    QHash<QString, QStringList> m_kept; // class -> absent names, read once a day
    QString m_problem;
};

// The names of the list that are not absent, in list order.
QStringList presentNames(const QStringList &names, const QSet<QString> &absent);

} // namespace corvanta
