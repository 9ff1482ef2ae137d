#pragma once

// This process's time zone (its TZ) for a scope; the zone before comes back at its end.
//
//   corvanta::test::ZoneScope zone("Europe/Berlin");

#include <QByteArray>
#include <QtGlobal>

#include <ctime>

namespace corvanta::test {

class ZoneScope
{
public:
    explicit ZoneScope(const QByteArray &zone) : m_before(qgetenv("TZ")) { set(zone); }
    ~ZoneScope()
    {
        if (m_before.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", m_before);
        tzset();
    }
    ZoneScope(const ZoneScope &) = delete;
    ZoneScope &operator=(const ZoneScope &) = delete;

    static void set(const QByteArray &zone)
    {
        qputenv("TZ", zone);
        tzset();
    }

private:
    QByteArray m_before;
};

} // namespace corvanta::test
