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

// Whether a text holds only what names are made of: CJK ideographs, letters, digits, "·"
// and spaces (line ends included).
bool onlyNameCharacters(const QString &text)
{
    for (const char32_t c : text.toUcs4()) {
        if (QChar::script(c) == QChar::Script_Han || QChar::isLetter(c) || QChar::isDigit(c) ||
            QChar::isSpace(c) || c == U'·')
            continue;
        return false;
    }
    return true;
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
        bool utf8 = false;
        text = decodeAs(QStringDecoder::Utf8, bytes, 0, &utf8);
        // Short GBK files are often valid UTF-8 too ("郑路" reads as "֣·"): then GBK wins
        // unless the UTF-8 reading looks like names.
        // GBK has no replacement character of its own: one in the text is a byte that is not GBK.
        const QString gbkText = fromGbk(bytes);
        const bool gbk = !gbkText.contains(QChar::ReplacementCharacter);
        if (!utf8 || (gbk && !onlyNameCharacters(text)))
            text = gbkText;
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
