#include "model/Clock.h"

namespace {
bool g_fixed = false;
std::time_t g_now = 0;
}  // namespace

std::time_t ClockNow() { return g_fixed ? g_now : std::time(nullptr); }

void SetClockForTests(std::time_t fixedNow)
{
    g_fixed = true;
    g_now = fixedNow;
}

void ResetClock() { g_fixed = false; }
