#pragma once

#include "pinyin/ReadingInitials.h"

#include <QLatin1String>
#include <QList>
#include <QString>
#include <QStringView>

// The initials a teacher may type for a student's name. A name is found by any of its
// plausible initials: 单语芳 by SYF as well as DYF, 长孙无忌 by ZSWJ, 栾 by L; and by what
// PinYinLeader gives, so that nobody used to the old initials loses a name.
namespace corvanta {

class NameInitials
{
public:
    NameInitials() = default;
    explicit NameInitials(QStringView name);

    // PinYinLeader of the name.
    const QString &leader() const { return m_leader; }
    // One initial per character of the name.
    qsizetype size() const { return m_places.size(); }

    // True when the typed text, in upper case, is part of the leader or of some initials
    // string of the name: one initial of any reading for each Chinese character, every
    // other character as it is. Each string is as long as the name, so this is the same as
    // trying every combination of readings, without making them.
    bool contains(QStringView upper) const;
    // True when a typed text of this length spells the whole name.
    bool isFullLength(qsizetype length) const { return length == m_places.size() || length == m_leader.size(); }

    // The initials of the character at a place, as a set ("CDS" for 单), none for characters
    // that stand for themselves.
    InitialSet initialsAt(qsizetype place) const;

private:
    struct Place
    {
        InitialSet letters = 0; // none: the character matches only itself
        QChar literal;
    };
    QList<Place> m_places;
    QString m_leader;
};

// Surname readings that a character's common reading misses (单 as a surname reads Shan), and
// the compound surnames: one initial per character.
struct SurnameReading
{
    QStringView surname;
    QLatin1String initials;
};
QList<SurnameReading> surnameReadings();

} // namespace corvanta
