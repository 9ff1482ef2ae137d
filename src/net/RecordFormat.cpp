#include "RecordFormat.h"

#include "core/TextCodec.h"

#include <cmath>

namespace corvanta {

namespace {

const QString kTab = QStringLiteral("\t");

} // namespace

QString meanScoreText(double sum, int count)
{
    if (count <= 0)
        return QStringLiteral("0");
    return shortestDecimal(std::round(sum / count * 100.0) / 100.0);
}

QByteArray writeRecordFile(const RecordData &data)
{
    const QString crlf = QStringLiteral("\r\n");
    QString text = QLatin1String(kClassListMarker);
    for (const ClassData &c : data.classes)
        text += kTab + c.name;
    text += kTab + crlf;
    for (const TopicData &t : data.topics) {
        text += topicRecordKey(t.name);
        for (const Scale &s : t.scales)
            text += s.text + kTab + shortestDecimal(s.score) + kTab;
        text += crlf;
    }
    for (const ClassData &c : data.classes) {
        for (const StudentData &s : c.students) {
            text += c.name + kTab + s.name + kTab + QString::number(s.group) + kTab + QStringLiteral("0") + kTab +
                    meanScoreText(s.scoreSum, s.count) + kTab + QString::number(s.count) + crlf;
        }
    }
    return toGbk(text);
}

QString StudentRecord::listItem() const
{
    return name + kTab + QStringLiteral("[") + countField + QStringLiteral("次,") + scoreField +
           QStringLiteral("分]");
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

std::optional<QStringList> parseClassListRecord(const QString &line)
{
    if (!line.startsWith(QLatin1String(kClassListMarker)))
        return std::nullopt;
    const QStringList fields = line.split(u'\t');
    // Field 0 is the marker; the field after the final TAB is not a class.
    return fields.mid(1, fields.size() - 2);
}

std::optional<QString> parseTopicName(const QString &line)
{
    if (!line.startsWith(QLatin1String(kTopicMarker)))
        return std::nullopt;
    const QStringList fields = line.split(u'\t');
    if (fields.size() < 2)
        return std::nullopt;
    return fields[1];
}

QList<Standard> parseTopicStandards(const QString &line)
{
    const QStringList f = line.split(u'\t');
    QList<Standard> result;
    const int m = int(f.size()) - 1;
    for (int i = 2; i <= m - 1; i += 2)
        result.append({f[i], i + 1 <= m ? f[i + 1] : QString()});
    return result;
}

QString topicRecordKey(const QString &topic)
{
    return QLatin1String(kTopicMarker) + kTab + topic + kTab;
}

bool looksLikeRecordFile(const QByteArray &body)
{
    static const QByteArray marker(kClassListMarker);
    for (qsizetype from = 0; from >= 0 && from < body.size();) {
        if (QByteArrayView(body).sliced(from).startsWith(marker))
            return true;
        const qsizetype next = body.indexOf('\n', from);
        from = next < 0 ? -1 : next + 1;
    }
    return false;
}

namespace {

const QString kNotOurs = QStringLiteral("不是班级数据文件：");

} // namespace

Result checkRecordFile(const QByteArray &bytes)
{
    if (!looksLikeRecordFile(bytes))
        return Result::failure(kNotOurs + QStringLiteral("没有班级列表"));
    return checkRecordLimits(bytes);
}

Result checkRecordLimits(const QByteArray &bytes)
{
    const QString &notOurs = kNotOurs;
    if (bytes.size() > kMaxRecordFileBytes)
        return Result::failure(notOurs + QStringLiteral("文件太大（%1 MB）").arg(bytes.size() / (1024 * 1024)));
    // Line lengths and the record count are checked on the bytes, before any text is made.
    qsizetype records = 0;
    for (qsizetype from = 0; from < bytes.size();) {
        qsizetype end = from;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        if (end - from > kMaxRecordLineBytes)
            return Result::failure(notOurs + QStringLiteral("第 %1 行太长").arg(records + 1));
        if (end > from && ++records > kMaxRecords)
            return Result::failure(notOurs + QStringLiteral("记录超过 %1 条").arg(kMaxRecords));
        from = end + 1;
    }
    for (const QString &line : parseRecordLines(bytes)) {
        const std::optional<QStringList> classes = parseClassListRecord(line);
        if (!classes)
            continue;
        if (classes->size() > kMaxRecordClasses)
            return Result::failure(notOurs + QStringLiteral("班级超过 %1 个").arg(kMaxRecordClasses));
        if (classes->contains(QString()))
            return Result::failure(notOurs + QStringLiteral("班级列表中有空的班级名"));
        break;
    }
    return Result::success();
}

} // namespace corvanta
