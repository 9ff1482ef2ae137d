#include "NameInitials.h"

#include "pinyin/PinYinLeader.h"

#include <iterator>

namespace corvanta {

namespace {

struct Surname
{
    const char16_t *surname;
    const char *initials;
};

// clang-format off
// Surnames read other than their characters' common reading, and the compound surnames of the
// Hundred Family Surnames, with the letters of the surname's reading.
constexpr Surname Surnames[] = {
    {u"单", "S"}, {u"仇", "Q"}, {u"查", "Z"}, {u"区", "O"}, {u"秘", "B"}, {u"繁", "P"},
    {u"召", "S"}, {u"种", "C"}, {u"折", "S"}, {u"句", "G"}, {u"覃", "Q"}, {u"解", "X"},
    {u"翟", "Z"}, {u"曾", "Z"}, {u"乐", "Y"}, {u"祭", "Z"}, {u"蕃", "P"}, {u"宓", "F"},
    {u"阚", "K"}, {u"炅", "G"}, {u"佴", "N"}, {u"藏", "Z"}, {u"重", "C"}, {u"乜", "N"},
    {u"粘", "N"}, {u"颉", "X"},

    {u"万俟", "MQ"}, {u"司马", "SM"}, {u"上官", "SG"}, {u"欧阳", "OY"}, {u"夏侯", "XH"},
    {u"诸葛", "ZG"}, {u"闻人", "WR"}, {u"东方", "DF"}, {u"赫连", "HL"}, {u"皇甫", "HF"},
    {u"尉迟", "YC"}, {u"公羊", "GY"}, {u"澹台", "TT"}, {u"公冶", "GY"}, {u"宗政", "ZZ"},
    {u"濮阳", "PY"}, {u"淳于", "CY"}, {u"单于", "CY"}, {u"太叔", "TS"}, {u"申屠", "ST"},
    {u"公孙", "GS"}, {u"仲孙", "ZS"}, {u"轩辕", "XY"}, {u"令狐", "LH"}, {u"钟离", "ZL"},
    {u"宇文", "YW"}, {u"长孙", "ZS"}, {u"慕容", "MR"}, {u"鲜于", "XY"}, {u"闾丘", "LQ"},
    {u"司徒", "ST"}, {u"司空", "SK"}, {u"亓官", "QG"}, {u"司寇", "SK"}, {u"仉督", "ZD"},
    {u"子车", "ZJ"}, {u"颛孙", "ZS"}, {u"端木", "DM"}, {u"巫马", "WM"}, {u"公西", "GX"},
    {u"漆雕", "QD"}, {u"乐正", "YZ"}, {u"壤驷", "RS"}, {u"公良", "GL"}, {u"拓跋", "TB"},
    {u"夹谷", "JG"}, {u"宰父", "ZF"}, {u"谷梁", "GL"}, {u"段干", "DG"}, {u"百里", "BL"},
    {u"东郭", "DG"}, {u"南门", "NM"}, {u"呼延", "HY"}, {u"归海", "GH"}, {u"羊舌", "YS"},
    {u"微生", "WS"}, {u"梁丘", "LQ"}, {u"左丘", "ZQ"}, {u"东门", "DM"}, {u"西门", "XM"},
    {u"南宫", "NG"}, {u"第五", "DW"},
};
// clang-format on

QStringView surnameOf(const Surname &s)
{
    return QStringView(s.surname);
}

// The surname the name begins with, the compound one where there is one; null for none.
const Surname *surnameOfName(QStringView name)
{
    const Surname *single = nullptr;
    for (const Surname &s : Surnames) {
        const QStringView surname = surnameOf(s);
        if (!name.startsWith(surname))
            continue;
        if (surname.size() > 1)
            return &s;
        single = &s;
    }
    return single;
}

} // namespace

NameInitials::NameInitials(QStringView name)
{
    const QList<QChar> old = pinYinLeaderPerCharacter(name);
    m_places.reserve(name.size());
    m_leader.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        Place place;
        place.letters = readingInitials(c);
        place.literal = c;
        if (!old[i].isNull()) {
            m_leader += old[i];
            if (old[i] != c)
                place.letters |= initialBit(old[i].unicode());
        }
        m_places.append(place);
    }
    if (const Surname *s = surnameOfName(name)) {
        const QLatin1String initials(s->initials);
        for (qsizetype i = 0; i < initials.size() && i < m_places.size(); ++i)
            m_places[i].letters |= initialBit(char16_t(initials[i].unicode()));
    }
}

bool NameInitials::contains(QStringView upper) const
{
    if (m_leader.contains(upper))
        return true;
    const qsizetype last = m_places.size() - upper.size();
    for (qsizetype start = 0; start <= last; ++start) {
        qsizetype k = 0;
        for (; k < upper.size(); ++k) {
            const Place &place = m_places[start + k];
            const bool same = place.letters ? (place.letters & initialBit(upper[k].unicode())) != 0
                                            : place.literal == upper[k];
            if (!same)
                break;
        }
        if (k == upper.size())
            return true;
    }
    return false;
}

InitialSet NameInitials::initialsAt(qsizetype place) const
{
    return place >= 0 && place < m_places.size() ? m_places[place].letters : 0;
}

QList<SurnameReading> surnameReadings()
{
    QList<SurnameReading> readings;
    readings.reserve(qsizetype(std::size(Surnames)));
    for (const Surname &s : Surnames)
        readings.append({surnameOf(s), QLatin1String(s.initials)});
    return readings;
}

} // namespace corvanta
