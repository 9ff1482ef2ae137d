#include "RecordFile.h"

#include "core/BoundedRead.h"
#include "core/TextCodec.h"

#include <QFile>

namespace corvanta {

namespace {

const QString Tab = QStringLiteral("\t");

} // namespace

RecordFile::RecordFile(QString path) : m_path(std::move(path)) {}

void RecordFile::setPath(const QString &path)
{
    m_path = path;
    m_loaded = false;
}

void RecordFile::refresh()
{
    const FileStamp stamp = fileStamp(m_path);
    if (m_loaded && stamp == m_stamp)
        return;

    m_loaded = true;
    m_stamp = stamp;
    m_lines.clear();
    m_firstStudent.clear();
    m_problem.clear();
    if (!stamp.regular)
        return;

    QFile file(m_path);
    // Checked again on opening: the file may have been swapped since stat().
    if (const Result opened = openRegularFile(file, QIODevice::ReadOnly); !opened) {
        m_problem = QStringLiteral("无法读取班级数据文件：") + opened.error();
        return;
    }
    // One byte past the limit tells a file that is too large from one that just fits.
    const QByteArray bytes = readAtMost(file, kMaxRecordFileBytes + 1);
    if (const Result usable = checkRecordLimits(bytes); !usable) {
        m_problem = usable.error();
        return;
    }
    m_lines = parseRecordLines(bytes);
    for (int i = 0; i < m_lines.size(); ++i) {
        const QString &line = m_lines[i];
        if (line.count(u'\t') != 5)
            continue;
        const qsizetype second = line.indexOf(u'\t', line.indexOf(u'\t') + 1);
        const QString key = line.left(second);
        if (!m_firstStudent.contains(key))
            m_firstStudent.insert(key, i);
    }
}

const QStringList &RecordFile::lines()
{
    refresh();
    return m_lines;
}

Result RecordFile::readable()
{
    refresh();
    return m_problem.isEmpty() ? Result::success() : Result::failure(m_problem);
}

QString RecordFile::ReadRecordLines(const QString &key)
{
    QString result;
    for (const QString &line : lines()) {
        if (line.startsWith(key)) {
            result += line;
            result += QStringLiteral("\r\n");
        }
    }
    return result;
}

QStringList RecordFile::classNames()
{
    for (const QString &line : lines()) {
        if (auto names = parseClassListRecord(line))
            return *names;
    }
    return {};
}

QStringList RecordFile::topicNames()
{
    QStringList names;
    for (const QString &line : lines()) {
        if (auto name = parseTopicName(line))
            names.append(*name);
    }
    return names;
}

QList<Standard> RecordFile::standards(const QString &topic)
{
    const QString key = topicRecordKey(topic);
    for (const QString &line : lines()) {
        if (line.startsWith(key))
            return parseTopicStandards(line);
    }
    return {};
}

QList<StudentRecord> RecordFile::students(const QString &className)
{
    QList<StudentRecord> result;
    const QString key = className + Tab;
    for (const QString &line : lines()) {
        if (!line.startsWith(key))
            continue;
        if (auto r = parseStudentRecord(line))
            result.append(*r);
    }
    return result;
}

std::optional<StudentRecord> RecordFile::findStudent(const QString &className, const QString &name)
{
    refresh();
    // Names holding a TAB can never match a record's own fields.
    if (className.contains(u'\t') || name.contains(u'\t'))
        return std::nullopt;
    const auto it = m_firstStudent.constFind(className + Tab + name);
    if (it == m_firstStudent.constEnd())
        return std::nullopt;
    return parseStudentRecord(m_lines[*it]);
}

} // namespace corvanta
