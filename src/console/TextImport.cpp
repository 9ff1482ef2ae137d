#include "TextImport.h"

#include "core/BoundedRead.h"
#include "core/TextCodec.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace corvanta::console {

namespace {

QString decodeAs(QStringDecoder::Encoding encoding, const QByteArray &bytes, qsizetype skip,
                 bool *ok = nullptr)
{
    QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(QByteArrayView(bytes).sliced(skip));
    if (ok)
        *ok = !decoder.hasError();
    return text;
}

} // namespace

QString decodeTextFile(const QByteArray &bytes)
{
    QString text;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        text = decodeAs(QStringDecoder::Utf8, bytes, 3);
    } else if (bytes.startsWith("\xFF\xFE")) {
        text = decodeAs(QStringDecoder::Utf16LE, bytes, 2);
    } else if (bytes.startsWith("\xFE\xFF")) {
        text = decodeAs(QStringDecoder::Utf16BE, bytes, 2);
    } else {
        bool valid = false;
        text = decodeAs(QStringDecoder::Utf8, bytes, 0, &valid);
        if (!valid)
            text = fromGbk(bytes);
    }
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

TextFileRead ReadTextFile(const QString &path)
{
    TextFileRead read;
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return read;
    if (info.size() > kMaxImportBytes) {
        read.result = Result::failure(QStringLiteral("文件太大（超过1MB），没有导入：") + path);
        return read;
    }
    QFile file(path);
    if (const Result opened = openRegularFile(file, QIODevice::ReadOnly); !opened) {
        read.result = Result::failure(QStringLiteral("无法读取文件：") + path + QStringLiteral("\r\n") + opened.error());
        return read;
    }
    // The size may have changed since it was asked; never read more than the limit.
    const QByteArray bytes = file.read(kMaxImportBytes + 1);
    if (bytes.size() > kMaxImportBytes) {
        read.result = Result::failure(QStringLiteral("文件太大（超过1MB），没有导入：") + path);
        return read;
    }
    read.text = decodeTextFile(bytes);
    return read;
}

} // namespace corvanta::console
