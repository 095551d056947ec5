#pragma once
#include <ctime>

// The model's one source of "now". Tests fix it; the program reads the system clock.
std::time_t ClockNow();
void SetClockForTests(std::time_t fixedNow);
void ResetClock();
