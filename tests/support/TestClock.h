#pragma once

#include "core/Clock.h"

#include <QRandomGenerator>

namespace corvanta::test {

// A clock that shows what the test sets.
class FixedClock final : public Clock
{
public:
    explicit FixedClock(QDateTime when = QDateTime(QDate(2026, 3, 5), QTime(9, 7, 2))) : when(std::move(when)) {}
    QDateTime now() const override { return when; }
    QDateTime when;
};

// A repeatable stream of values in [0, 1).
class ReplayRandom final : public RandomSource
{
public:
    explicit ReplayRandom(quint32 start = 1) : m_gen(start) {}
    double next() override { return m_gen.generateDouble(); }

private:
    QRandomGenerator m_gen;
};

} // namespace corvanta::test
