// Linked into every test program on Windows. The C runtime would read a zone
// name in TZ ("Europe/Stockholm") as a malformed POSIX rule and run in UTC;
// without TZ it takes the system's zone, which Wine sets from the same
// variable. The name is kept for UseTestZone.

#include <cstdlib>
#include <string>
#include <time.h>

namespace {

const bool g_zoneFromSystem = [] {
    if (const char* zone = std::getenv("TZ")) {
        const std::string name = zone;
        _putenv_s("TALVO_TEST_ZONE", name.c_str());
        _putenv_s("TZ", "");
    }
    _tzset();
    return true;
}();

}  // namespace
