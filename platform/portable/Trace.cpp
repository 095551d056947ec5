#include "platform/Trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

void Trace(const char* format, ...)
{
    static const bool enabled = std::getenv("TALVO_TRACE") != nullptr;
    if (!enabled)
        return;
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
}
