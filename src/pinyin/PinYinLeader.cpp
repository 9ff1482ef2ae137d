#include "PinYinLeader.h"

#include "core/TextCodec.h"


#include <iterator>

namespace corvanta {

namespace {

struct Level1Range
{
    int first; // two-byte code, inclusive
    int last;  // two-byte code, inclusive
    char letter;
};

// clang-format off
// Characters whose reading the code tables get wrong for names (surnames with several
// readings, name characters outside GB2312), each with its letter at the same position.
const char16_t SpecialCharacters[] = u"颉嫄珺燚玟翀祎解玥镕彧浥詹璟劼曌喆瑄旸垚阗修翟濛璠";
const char16_t SpecialLetters[] = u"XYJYWCYXYRYYZJJZZXYYTXZMF";

// First two-byte code of each level-1 letter; the block is ordered by reading, so a
// letter runs up to the next one. There are no I, U and V readings.
constexpr Level1Range Level1Ranges[] = {
    {0xB0A1, 0xB0C4, 'A'},
    {0xB0C5, 0xB2C0, 'B'},
    {0xB2C1, 0xB4ED, 'C'},
    {0xB4EE, 0xB6E9, 'D'},
    {0xB6EA, 0xB7A1, 'E'},
    {0xB7A2, 0xB8C0, 'F'},
    {0xB8C1, 0xB9FD, 'G'},
    {0xB9FE, 0xBBF6, 'H'},
    {0xBBF7, 0xBFA5, 'J'},
    {0xBFA6, 0xC0AB, 'K'},
    {0xC0AC, 0xC2E7, 'L'},
    {0xC2E8, 0xC4C2, 'M'},
    {0xC4C3, 0xC5B5, 'N'},
    {0xC5B6, 0xC5BD, 'O'},
    {0xC5BE, 0xC6D9, 'P'},
    {0xC6DA, 0xC8BA, 'Q'},
    {0xC8BB, 0xC8F5, 'R'},
    {0xC8F6, 0xCBF9, 'S'},
    {0xCBFA, 0xCDD9, 'T'},
    {0xCDDA, 0xCEF3, 'W'},
    {0xCEF4, 0xD1B8, 'X'},
    {0xD1B9, 0xD4D0, 'Y'},
    {0xD4D1, 0xD7F9, 'Z'},
};

// Letters of the level-2 block (ordered by radical), two rows of 94 per text.
constexpr const char *Level2Texts[] = {
    "CJWGNSPGCGNESYPBTYYZDXYKYGTDJNNJQMBSGZSCYJSYYQPGKBZGYDYWJKGKLJYWKPJQHYTWDDZLSYMRYPYWWCCKZNKYYGTTNGJEYKKZYTCJNMCYLQLYPYSFQRPZSMWBTGKJFYXJWZLTBNCXJJJJTXDTTSQZYCDXXHGCKBPHFFSSWYBGMXMPBYMLLHLX",
    "SPZMYJHSOJNGHDZQYKLGJHSGQZHXQGKEZZWYSCSCJXYEYXADZPMDSSMZJZQJYZCDJZWQJBDZBXGZNZCPWHWXHQKMWFBPBYDTJZZKQXYLYGXFPTYJYYZPSZLFCHMQSHGMXXSXJJSDCSBBQBEFSJYHXWGZKPYLQBGLDLCDTNMAYDDKSSNGYCSGXLYZAYPN",
    "PTSDKDYLHGYMYLCXPYCJNDQJWXQXFYYFJLEJPZRXCCQWQQSBZKYMGPLBMJRQCFLNYMYQMTQYRBCJTHZTQFRXQHXMQJCJMYXGJMSHZKBSWYEMYLTXFSYDSGLYCJQXSJNQBSCTYHBFTDCYZDJWYGHQFSXWCKQKXEBPTLPXJZSRMEBWHJLBJSLYYSMDXLCL",
    "QKXLHXJRZJMFQHXHWYWSBHTRXXGLHQHFNMNYKLDYXZPYLGGTMTCFPNJJZYMJTYANJGBJPLQGDZYQYAXBKYSECJSZNSMYZHZXLZCGHPXZHZNYTDSBCJKDLZAYFMYTLEBBGQYZKGGLDNDNYSKJSHDLYXBCGHXYPKDJMMZNGMMCLGEZSZXZJFZNMLZZTHCS",
    "YDBDLLSCZDNLKJYKJSYCJLKWHQASDKNHCSGAEHDAASHTCPLCPQYBSDMPJLPCJOQLCDHJXYSPRCHNWJNMHLYYQYHWZPTCZGWWMZFFJQQQQYXACLBHKDJXDGMMYDQXZLLSYGXGKJRYWZWYCLZMSSJZLDBYDCPCXYHLXCHYZJQSFQAGMNYXPFRKSSBJLYXY",
    "SYGMNSCMHCWWMNZJJLXXHCHSYDSTTXRYCYXBYHCSMXJSZNPWGPXXTAYBGAJCXLYXDCCWZOCWKCCSBNHCPDYZNFCYYTYCKXKYBSQKKYTQQXFCWCHCYKELZQBSQYJQCCLMTHSYWHMKTLKJLYCXWHEQQHTQKZPQSQSCFYMMDMGBWHWLGSLLYSDLMMXPTHMJ",
    "HWLJZYHZJXHTXJLHXRSWLWZJCBXMHZQXSDZPMGFCSGLSXYMQSHXPJXWMYQKSMYPLRTHBXFTPMHYXLCHMHLZYLXGSSSSTCLSLDCLRPBHZHXYYFHBBGDMYCNQQWLQHJJZYWJZYEJJDHPBLQXTQKWHLCHQXAGTLXLJXMSLXHTZKZJECXJCJNMFBYCSFYWYB",
    "JZGNYSDZSQYRSLJPCLPWXSDWEJBJCBCNAYTWGMPAPCLYQPCLZXSBNMSGGFNZJJBZSFZYNTXHPLQKZCZWALSBCCJXJYZGWKYPSGXFZFCDKHJGXTLQFSGDSLQWZKXTMHSBGZMJZRGLYJBPMLMSXLZJQQHZYJCZYDJWBMJKLDDPMJEGXYHYMXHLQYQHKYCW",
    "CJMYYXNATJHYCCXZPCQLBZWWYTWSQCMLPMYRJCCCXFPZNZZLJPLXXYZTZLGDLTCKLYRZZGQTKJHHGJMJAXFGFJZSLCFDQZMCLGJDJCSNZLLJPJQDCCLCJXMYZFTSXGCGSBRZXJQQCTZHGYQTJQQLZXJYLYLBCYAMCSTYLPDJBYREGKLZYZHLYSZQLZNW",
    "CYCYLWJQJJJKDGJZOLBBZPPGLGHTGZXYGHZMYCNQSYCYHBHGXKAMTXYXNBSKYZZGJZLQJDFCJXDYGJQJJPMGWGJJJPKQSBGBMMCJSSCLPQPDXCDYYKYFCJDDYYGYWRHJRTGZNYQLDKLJSZZGZQZJGDYKSHPZMTMCPWNJYFYZDJCNMWESCYGMBTZCGMSS",
    "LLYXYSXXBSJSBBSGGHFJLYPMZJNLYYWDQSHZXTYYWHMCYHYWDBXBTLMSYYYFSXJCSTXXLHJHFSSXZQHFZMZCZTQCXZXRTTDJHNNYZQQMTQDMMGYYTXMJGDHCDYZBFFALLZTDLTFXMXQZDNGWQDBDCZJDXBZGSQQDDJCMBKZFFXMKDMDSYYSZCMLJDAYN",
    "SPRSKMKMPCKLGDBQTFZSWTFGGLYPLLJZHGJJGYPZLTCSMCNBTJBQFKTHPYZGKPBBYMTDSSXTBNPDKLEYCJNYCDYKZDDHQHSDZSCTARLLTKZLGECMLKJLQJAQNBDKKGHPJTZQKSECSHALQFMMGJNLYJBBTMMYZXDCJPLDLPCQDHZYCBZSCZBZMSLJFLKR",
    "ZJSNFRGJHXPDHYJYBZGDLQCSEZGXMBLHYXTWMABCHECMWYJYZLLJJYHLGBDJLSLYGKDZPZXJYYZLWCXSZFGWYYDLYHCLJSCMBJHBMYZLYCBLYDPDQYSXQZBYTDKYXJYYCNRJMPDQGKLCLJBCTBJDDBBMBLCZQRPPXJCJLZCSHLTOLJNMDDDLNGKATHQH",
    "JHYKHEZNMSHRPHQQJCHGMFPRXHJGDYCHGKLYRZQLCYQJNZSQTKQJYMSZSWLCFQQQXYFGGYPTQWLMCRNFKKFSYYLQBMQAMMMYXCTPSHCPTXXZZSMPHPSHMCLMLDQFYQXSZYJDJJZZHQPDSZGLSTJBCKBXYQZJSGPSXQZQZRQTBDKYXZKHHGFLBCSMDLDG",
    "DZDBLZYYCXNNCSYBZBFGLZZXSWMSCCMQNJQSBDQSJTXXMBLTXZCLZSHZCXRQJGJYLXZFJPHYMZQQYDFQJQLZZNZJCDGZYGZTXMZYSCTLKPHTXHTLBJXJLXSCDQXCBBTJFQZFSLTJBTKQBXXJJLJCHCZDBZJDCZJDCPRNPQCJPFCZLCLZXZDMXMPHJSGZ",
    "GSZZQLYLWTJPFSYAXMCJBTZYYCWMYTZSJJMQCQMWZMALBXYFBPNLSFHTGJWEJJXXGLLJSTGSHJQLZFKCGNNDSZFDEQFHBSAQTGYLBXMMYGSZLDYDQMJJRGBJTKGDHGKBLQKBDMBYLXWCXYTTYBKMRTJZXQJBHLMHMJJZMQASLDCYXYQDLQCAFYWYXQHZ",
};
// clang-format on

constexpr int SignedOffset = 65536;
constexpr int Level1First = 0xB0A1 - SignedOffset; // -20319
constexpr int Level1Last = 0xD7F9 - SignedOffset;  // -10247
constexpr int Level2First = 0xD8A1 - SignedOffset; // -10079
constexpr int Level2Last = 0xF7FE - SignedOffset;  // -2050

static_assert(std::size(SpecialCharacters) == 26 && std::size(SpecialLetters) == 26);
static_assert(std::size(Level2Texts) == Level2TextCount);

// The letter of the range holding the code; 0 outside the block.
char level1Letter(int code)
{
    for (const Level1Range &range : Level1Ranges) {
        if (code >= range.first - SignedOffset && code <= range.last - SignedOffset)
            return range.letter;
    }
    return 0;
}

int signedCode(QChar c)
{
    const int code = gbkCode(c);
    return code > 0xFF ? code - SignedOffset : code;
}

} // namespace

QStringView pinYinSpecialCharacters()
{
    return QStringView(SpecialCharacters, qsizetype(std::size(SpecialCharacters) - 1));
}

QStringView pinYinSpecialLetters()
{
    return QStringView(SpecialLetters, qsizetype(std::size(SpecialLetters) - 1));
}

QLatin1String level2Text(int index)
{
    if (index < 0 || index >= Level2TextCount)
        return {};
    return QLatin1String(Level2Texts[index]);
}

QString BuildLevel2Leaders()
{
    QString letters;
    letters.reserve(Level2TextCount * 188);
    for (const char *text : Level2Texts)
        letters += QLatin1String(text);
    return letters;
}

const QString &Level2Leaders()
{
    // Built on first use; static initialisation is thread-safe.
    static const QString letters = BuildLevel2Leaders();
    return letters;
}

QString Level1Leader(int code)
{
    const char letter = level1Letter(code);
    return letter ? QString(QLatin1Char(letter)) : QString();
}

int gbkSignedCode(QChar c)
{
    return signedCode(c);
}

QList<QChar> pinYinLeaderPerCharacter(QStringView text)
{
    const QString &level2 = Level2Leaders();
    const QStringView specials = pinYinSpecialCharacters();
    QList<QChar> result;
    result.reserve(text.size());
    for (const QChar c : text) {
        if (const qsizetype k = specials.indexOf(c); k >= 0) {
            result += pinYinSpecialLetters()[k];
            continue;
        }
        const int code = signedCode(c);
        if (code >= Level1First && code <= Level1Last) {
            result += QLatin1Char(level1Letter(code));
        } else if (code < Level2First || code > Level2Last) {
            result += c;
        } else {
            // Row by row: 94 letters a row, the 162 codes below trail byte 0xA1 skipped.
            // GBK additions below 0xA1 land on another character's letter or past the end.
            const int p = (code + 10080) - ((code + 10079) / 256) * 162;
            result += p >= 1 && p <= level2.size() ? level2[p - 1] : QChar();
        }
    }
    return result;
}

QString PinYinLeader(QStringView text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : pinYinLeaderPerCharacter(text)) {
        if (!c.isNull())
            result += c;
    }
    return result;
}

} // namespace corvanta
