#pragma once

#include "core/BoundedRead.h"
#include "core/Result.h"
#include "net/RecordFormat.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace corvanta {

// The class record file as the main window reads it. Every query behaves as if the file
// were read afresh, but the parsed file is kept and read again only when the file on
// disk changes (size, modification time or identity), since a draw looks a name up every
// few milliseconds.
class RecordFile
{
public:
    explicit RecordFile(QString path = {});

    const QString &path() const { return m_path; }
    void setPath(const QString &path);

    // Every record that begins with the key, each followed by CR LF, in file order.
    QString ReadRecordLines(const QString &key);

    // Class names of the class list record: fields 2 .. next-to-last.
    QStringList classNames();
    // Topic names in file order.
    QStringList topicNames();
    // Standards of the first topic record for the topic; empty when none.
    QList<Standard> standards(const QString &topic);
    // Student records of the class: lines whose first field equals the class name
    // and which have exactly six fields, in file order.
    QList<StudentRecord> students(const QString &className);
    // First student record for class + TAB + name + TAB.
    std::optional<StudentRecord> findStudent(const QString &className, const QString &name);

    // The records as currently on disk (re-read when the file changed).
    const QStringList &lines();
    // Whether the file on disk was read (or there is none); else why not (too large, a line
    // too long, ...). Nothing of such a file is shown.
    Result readable();

private:
    void refresh();

    QString m_path;
    QStringList m_lines;
    QString m_problem;
    QHash<QString, int> m_firstStudent; // "class\tname" -> index of its first six-field record
    // What the kept copy was read from.
    bool m_loaded = false;
    FileStamp m_stamp;
};

} // namespace corvanta
