#include "RecordFile.h"

#include "core/TextCodec.h"

#include <cmath>

namespace corvanta::server {

QString meanScoreText(double sum, int count)
{
    if (count <= 0)
        return QStringLiteral("0");
    return shortestDecimal(std::round(sum / count * 100.0) / 100.0);
}

QByteArray writeRecordFile(const RecordData &data)
{
    const QString tab = QStringLiteral("\t");
    const QString crlf = QStringLiteral("\r\n");
    QString text;
    text += QStringLiteral("Class_Is_Ready");
    for (const ClassData &c : data.classes)
        text += tab + c.name;
    text += tab + crlf;
    for (const TopicData &t : data.topics) {
        text += QStringLiteral("[keti]") + tab + t.name + tab;
        for (const Scale &s : t.scales)
            text += s.text + tab + shortestDecimal(s.score) + tab;
        text += crlf;
    }
    for (const ClassData &c : data.classes) {
        for (const StudentData &s : c.students) {
            text += c.name + tab + s.name + tab + QString::number(s.group) + tab + QStringLiteral("0") + tab +
                    meanScoreText(s.scoreSum, s.count) + tab + QString::number(s.count) + crlf;
        }
    }
    return toGbk(text);
}

} // namespace corvanta::server
