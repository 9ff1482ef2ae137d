#include "ReadingTableGenerator.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringDecoder>

namespace corvanta {

namespace {

constexpr char32_t UnifiedFirst = 0x4E00;
constexpr char32_t UnifiedLast = 0x9FA5; // the last unified ideograph of GBK
constexpr int LineWidth = 96;

// Six GBK characters that Qt's GBK and GB18030 decoders still give as private-use codes;
// GB18030-2005 places them in CJK extension B.
constexpr struct
{
    char32_t privateUse;
    char32_t ideograph;
} ExtensionB[] = {
    {0xE816, 0x20087}, {0xE817, 0x20089}, {0xE818, 0x200CC},
    {0xE831, 0x215D7}, {0xE83B, 0x2298F}, {0xE855, 0x241FE},
};

bool isPrivateUse(char32_t c)
{
    return c >= 0xE000 && c <= 0xF8FF;
}

// An ideograph, as against the radicals, numerals and marks that GBK also holds.
bool isIdeograph(char32_t c)
{
    return QChar::script(c) == QChar::Script_Han && QChar::category(c) == QChar::Letter_Other;
}

quint32 initialOf(QByteArrayView reading)
{
    // "ǒu" begins with o, "ń" with n: the letter without its tone mark.
    const QString decomposed = QString::fromUtf8(reading).normalized(QString::NormalizationForm_D);
    if (decomposed.isEmpty())
        return 0;
    const char16_t c = decomposed[0].toLower().unicode();
    return c >= u'a' && c <= u'z' ? 1u << (c - u'a') : 0;
}

// Readings of kMandarin ("qū ōu"), kHanyuPinyin and kXHC1983 ("0845.060:ōu 0942.020:qū",
// "10571.030:gōu,gòu,jù,qú").
quint32 initialsOfField(QByteArrayView field, QByteArrayView value)
{
    quint32 letters = 0;
    for (const QByteArrayView entry : QByteArray(value.toByteArray()).split(' ')) {
        if (entry.isEmpty())
            continue;
        if (field == "kMandarin") {
            letters |= initialOf(entry);
            continue;
        }
        const qsizetype colon = entry.indexOf(':');
        if (colon < 0)
            continue;
        for (const QByteArray &reading : entry.sliced(colon + 1).toByteArray().split(','))
            letters |= initialOf(reading);
    }
    return letters;
}

QString versionOf(const QByteArray &unihan)
{
    const QByteArray key = "# Unicode version: ";
    const qsizetype at = unihan.indexOf(key);
    if (at < 0)
        return QStringLiteral("unknown");
    const qsizetype end = unihan.indexOf('\n', at);
    return QString::fromUtf8(unihan.mid(at + key.size(), end - at - key.size())).trimmed();
}

QHash<char32_t, quint32> readingsOf(const QByteArray &unihan)
{
    QHash<char32_t, quint32> readings;
    for (const QByteArray &line : unihan.split('\n')) {
        if (!line.startsWith("U+"))
            continue;
        const QList<QByteArray> parts = line.trimmed().split('\t');
        if (parts.size() != 3)
            continue;
        const QByteArray &field = parts[1];
        if (field != "kMandarin" && field != "kHanyuPinyin" && field != "kXHC1983")
            continue;
        bool ok = false;
        const char32_t code = parts[0].mid(2).toUInt(&ok, 16);
        if (ok)
            readings[code] |= initialsOfField(field, parts[2]);
    }
    return readings;
}

QByteArray lettersOf(quint32 set)
{
    QByteArray letters;
    for (int k = 0; k < 26; ++k) {
        if (set & (1u << k))
            letters += char('A' + k);
    }
    return letters;
}

} // namespace

GeneratedReadingTable generateReadingTable(const QByteArray &unihan)
{
    const QHash<char32_t, quint32> readings = readingsOf(unihan);
    GeneratedReadingTable table;
    QMap<char32_t, quint32> initials; // by the character as the tool decodes it

    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F)
                continue;
            const char bytes[] = {char(lead), char(trail)};
            QStringDecoder gbk("GBK");
            const QString text = gbk.decode(QByteArrayView(bytes, 2));
            if (gbk.hasError() || text.size() != 1 || text[0] == QChar::ReplacementCharacter)
                continue;
            const char32_t key = text[0].unicode();
            char32_t ideograph = key;
            if (isPrivateUse(key)) {
                QStringDecoder gb18030("GB18030");
                const QList<uint> decoded = QString(gb18030.decode(QByteArrayView(bytes, 2))).toUcs4();
                if (decoded.size() == 1 && !isPrivateUse(decoded[0]))
                    ideograph = decoded[0];
                for (const auto &b : ExtensionB) {
                    if (b.privateUse == key)
                        ideograph = b.ideograph;
                }
            }
            if (!isIdeograph(ideograph))
                continue;
            quint32 letters = readings.value(ideograph);
            if (!letters) {
                // A compatibility ideograph reads as the unified one it stands for.
                const QString canonical = QChar::decomposition(ideograph);
                if (canonical.size() == 1 && QChar::decompositionTag(ideograph) == QChar::Canonical)
                    letters = readings.value(canonical[0].unicode());
            }
            if (letters) {
                initials.insert(key, letters);
                ++table.characters;
            } else {
                table.unreadable.append(QStringLiteral("U+%1 (GBK %2)")
                                            .arg(uint(ideograph), 4, 16, QLatin1Char('0'))
                                            .arg(lead * 256 + trail, 4, 16)
                                            .toUpper());
            }
        }
    }

    QByteArray &out = table.source;
    out += "// Generated by scripts/generate-reading-initials.sh from Unihan_Readings.txt of Unicode "
           + versionOf(unihan).toUtf8() + "\n";
    out += "// (kMandarin, kHanyuPinyin, kXHC1983). Do not edit. " + QByteArray::number(table.characters)
           + " GBK characters.\n";
    out += "// The initials of U+4E00 to U+9FA5 in code order: a letter, several in brackets, \".\" for\n"
           "// a code without readings; lines of about 100 characters.\n";
    out += "constexpr char16_t UnifiedFirst = 0x4E00;\n";
    out += "constexpr char16_t UnifiedLast = 0x9FA5;\n";
    out += "constexpr const char *UnifiedInitials[] = {\n";
    QByteArray line;
    for (char32_t c = UnifiedFirst; c <= UnifiedLast; ++c) {
        const quint32 set = initials.value(c);
        const QByteArray letters = lettersOf(set);
        line += letters.isEmpty() ? QByteArray(".") : letters.size() == 1 ? letters : "[" + letters + "]";
        if (line.size() >= LineWidth || c == UnifiedLast) {
            out += "    \"" + line + "\",\n";
            line.clear();
        }
    }
    out += "};\n";
    out += "// The other GBK characters with readings, in code order: compatibility ideographs and the\n"
           "// private-use codes under which GBK decoding gives later additions.\n";
    out += "constexpr OtherReading OtherInitials[] = {\n";
    for (auto it = initials.cbegin(); it != initials.cend(); ++it) {
        if (it.key() >= UnifiedFirst && it.key() <= UnifiedLast)
            continue;
        out += "    {0x" + QByteArray::number(uint(it.key()), 16).toUpper() + ", \"" + lettersOf(it.value())
               + "\"},\n";
    }
    out += "};\n";
    return table;
}

} // namespace corvanta
