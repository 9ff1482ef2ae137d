#include "MachineSettings.h"

#include "core/BoundedRead.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace corvanta {

namespace {

// Two addresses and some comments; anything near this is not such a file.
constexpr qint64 kMaxBytes = 64 * 1024;

} // namespace

MachineSettings MachineSettings::parse(const QByteArray &text)
{
    MachineSettings settings;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8(text); // strips a leading byte-order mark
    for (QString line : decoded.split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u';') || line.startsWith(u'['))
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            continue;
        const QString key = line.left(equals).trimmed().toLower();
        const QString value = line.mid(equals + 1).trimmed();
        if (key == u"server")
            settings.server = value;
        else if (key == u"vendor")
            settings.vendor = value;
    }
    return settings;
}

MachineSettings MachineSettings::read(const QString &file)
{
    MachineSettings settings;
    if (QFileInfo::exists(file)) {
        QFile in(file);
        if (const Result opened = openRegularFile(in, QIODevice::ReadOnly); !opened) {
            settings.error = opened.error();
        } else if (in.size() > kMaxBytes) {
            settings.error = QStringLiteral("文件过大（超过 64 KB）");
        } else {
            const QByteArray text = readAtMost(in, kMaxBytes);
            if (in.error() != QFileDevice::NoError)
                settings.error = in.errorString();
            else
                settings = parse(text);
        }
    }
    settings.file = file;
    return settings;
}

} // namespace corvanta
