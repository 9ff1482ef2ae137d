#pragma once

#include <QDateTime>

namespace corvanta {

// "Now", replaceable in tests so that log file names and score times are reproducible.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock
{
public:
    QDateTime now() const override;
};

// Uniform values in [0, 1) for the draw; replaceable in tests.
class RandomSource
{
public:
    virtual ~RandomSource() = default;
    virtual double next() = 0;
};

// Backed by the operating system's entropy-fed generator: every step is independent of
// the last, which a generator restarted from the time of day cannot promise.
class SystemRandom final : public RandomSource
{
public:
    double next() override;
};

// Index of the name shown for a uniform value r in [0, 1) over n names: every index has
// the same chance 1/n. Returns 0 for n <= 0.
int fairIndex(double r, int n);

} // namespace corvanta
