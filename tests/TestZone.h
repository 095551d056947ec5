#pragma once
// Time zones for tests. On Linux any zone is set through TZ. The Windows C
// runtime reads no zone names ("Europe/Stockholm") from TZ, so there a test
// can only use the system's zone, which Wine takes from the TZ the test was
// started with (TestEnvironment.cpp keeps that name and clears TZ).

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <time.h>

// Makes zone the local zone; false when this system cannot.
inline bool UseTestZone(const char* zone)
{
#ifdef _WIN32
    const char* system = std::getenv("TALVO_TEST_ZONE");
    return system && std::strcmp(system, zone) == 0;
#else
    setenv("TZ", zone, 1);
    tzset();
    return true;
#endif
}

inline std::tm LocalTimeOf(std::time_t t)
{
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    return tm;
}

// Seconds east of Greenwich at t.
inline long UtcOffsetAt(std::time_t t)
{
#ifdef _WIN32
    std::tm local = LocalTimeOf(t);
    return static_cast<long>(_mkgmtime(&local) - t);
#else
    return LocalTimeOf(t).tm_gmtoff;
#endif
}

// The zone for one scope, restored after it. Check ok() first.
class ZoneScope {
public:
    explicit ZoneScope(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            m_old = old;
        m_ok = UseTestZone(zone);
    }
    ~ZoneScope()
    {
#ifndef _WIN32
        UseTestZone(m_old.c_str());
#endif
    }
    ZoneScope(const ZoneScope&) = delete;
    ZoneScope& operator=(const ZoneScope&) = delete;
    bool ok() const { return m_ok; }

private:
    std::string m_old = "UTC";
    bool m_ok = false;
};
