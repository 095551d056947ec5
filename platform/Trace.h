#pragma once
// Diagnostic lines. Silent unless the environment variable TALVO_TRACE is set,
// then written to standard error.

void Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));
#define TRACE Trace
