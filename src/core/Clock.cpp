#include "Clock.h"

#include <QRandomGenerator>

#include <cmath>

namespace corvanta {

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

double SystemRandom::next()
{
    return QRandomGenerator::global()->generateDouble();
}

int fairIndex(double r, int n)
{
    if (n <= 0 || !(r >= 0))
        return 0;
    const int index = static_cast<int>(std::floor(r * n));
    return index >= n ? n - 1 : index;
}

} // namespace corvanta
