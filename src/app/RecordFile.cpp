#include "RecordFile.h"

#include "core/TextCodec.h"

#include <QFile>

#include <sys/stat.h>

namespace corvanta {

namespace {

// Class record files are one teacher's data; anything far larger is not one.
constexpr qint64 MaxRecordFileBytes = 64 * 1024 * 1024;

const QString Tab = QStringLiteral("\t");

} // namespace

QString StudentRecord::listItem() const
{
    return name + Tab + QStringLiteral("[") + countField + QStringLiteral("次,") + scoreField + QStringLiteral("分]");
}

QStringList parseRecordLines(const QByteArray &bytes)
{
    const QString text = fromGbk(bytes);
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            if (i > start)
                lines.append(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

std::optional<StudentRecord> parseStudentRecord(const QString &line)
{
    const QStringList f = line.split(u'\t');
    if (f.size() != 6)
        return std::nullopt;
    StudentRecord r;
    r.className = f[0];
    r.name = f[1];
    r.groupField = f[2];
    r.scoreField = f[4];
    r.countField = f[5];
    r.score = leadingNumber(f[4]);
    r.count = leadingNumber(f[5]);
    bool ok = false;
    const int g = f[2].toInt(&ok);
    r.group = (ok && g >= 0 && g <= 15) ? g : -1;
    return r;
}

RecordFile::RecordFile(QString path) : m_path(std::move(path)) {}

void RecordFile::setPath(const QString &path)
{
    m_path = path;
    m_loaded = false;
}

void RecordFile::refresh()
{
    struct stat st {};
    const QByteArray native = QFile::encodeName(m_path);
    const bool exists = !m_path.isEmpty() && ::stat(native.constData(), &st) == 0 && S_ISREG(st.st_mode);
    const qint64 mtimeNs = exists ? qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec : 0;
    const qint64 ctimeNs = exists ? qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec : 0;
    if (m_loaded && exists == m_existed &&
        (!exists || (st.st_size == m_size && mtimeNs == m_mtimeNs && ctimeNs == m_ctimeNs &&
                     quint64(st.st_ino) == m_inode)))
        return;

    m_loaded = true;
    m_existed = exists;
    m_size = exists ? st.st_size : -1;
    m_mtimeNs = mtimeNs;
    m_ctimeNs = ctimeNs;
    m_inode = exists ? quint64(st.st_ino) : 0;
    m_lines.clear();
    m_firstStudent.clear();
    if (!exists)
        return;

    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    m_lines = parseRecordLines(file.read(MaxRecordFileBytes));
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
        if (!line.startsWith(QStringLiteral("Class_Is_Ready")))
            continue;
        const QStringList fields = line.split(u'\t');
        // Field 0 is the marker; the field after the final TAB is not a class.
        return fields.mid(1, fields.size() - 2);
    }
    return {};
}

QStringList RecordFile::topicNames()
{
    QStringList names;
    const QString key = QStringLiteral("[keti]");
    for (const QString &line : lines()) {
        if (!line.startsWith(key))
            continue;
        const QStringList fields = line.split(u'\t');
        if (fields.size() >= 2)
            names.append(fields[1]);
    }
    return names;
}

QList<Standard> RecordFile::standards(const QString &topic)
{
    const QString key = QStringLiteral("[keti]\t") + topic + Tab;
    for (const QString &line : lines()) {
        if (!line.startsWith(key))
            continue;
        const QStringList f = line.split(u'\t');
        QList<Standard> result;
        // Pairs stand at fields 2k, 2k+1; the field after the final TAB is not read.
        const int m = int(f.size()) - 1;
        for (int i = 2; i <= m - 1; i += 2)
            result.append({f[i], i + 1 <= m ? f[i + 1] : QString()});
        return result;
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

QString standardListLine(const Standard &standard)
{
    return QStringLiteral("[") + standard.score + QStringLiteral("分]") + Tab + standard.text;
}

int nameFontSize(int widthTwips, int textLength)
{
    if (textLength <= 0)
        return 0;
    const int size = widthTwips / (textLength * 24);
    return std::clamp(size, 1, 70);
}

} // namespace corvanta
