#pragma once

#include "core/Result.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

namespace corvanta {

// The pending score lines (what the upload panel lists), kept in a file of the data folder
// so they survive the end of the program. Every change rewrites the whole file atomically;
// when that fails the lines stay in memory and the result says why.
class PendingScores : public QObject
{
    Q_OBJECT
public:
    explicit PendingScores(const QString &filePath, QObject *parent = nullptr);

    // Name of the file in the data folder.
    static QString defaultFileName() { return QStringLiteral("Pending.cvr"); }

    QString filePath() const { return m_filePath; }

    // Reads the file (a missing file means no pending scores). Keeps every line it can
    // read; a file it cannot fully read is copied aside first, so nothing in it is lost by
    // the next rewrite. Returns an empty text when all went well, else what happened.
    QString load();

    const QStringList &lines() const { return m_lines; }
    qsizetype size() const { return m_lines.size(); }

    // Each fails when the change could not be written to the file.
    Result append(const QString &line);
    // Adds the lines that are not pending yet (nor repeated in the list), in their order.
    Result appendNew(const QStringList &lines, int *added = nullptr);
    // Rows as they stand now; out-of-range rows are ignored.
    Result removeRows(QList<int> rows);
    Result replaceLine(int row, const QString &line);

signals:
    void linesAppended(int first, const QStringList &lines);
    // Ascending, as the rows stood before the removal.
    void rowsRemoved(const QList<int> &rows);
    void lineReplaced(int row, const QString &line);
    void reset();

private:
    Result save();

    QString m_filePath;
    QStringList m_lines;
};

} // namespace corvanta
