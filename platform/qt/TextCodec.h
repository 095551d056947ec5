#pragma once
// Narrow text of the program is UTF-8. Bytes that are not valid UTF-8 (a file
// written by the Windows program) are read as Windows-1252. Text read back
// from widgets is always UTF-8.

#include <QByteArray>
#include <QString>

#include <cstddef>

// True when the bytes form valid UTF-8 (no overlong forms, no surrogates).
bool AfxIsValidUtf8(const char* text, std::size_t length);

// Decodes program text for display: UTF-8 when valid, else Windows-1252.
QString FromAnsi(const char* text);
QString FromAnsi(const char* text, std::size_t length);

// Encodes widget text for the program (UTF-8).
QByteArray ToAnsi(const QString& text);

// Windows-1252 decoding of every byte (no UTF-8 attempt).
QString FromWindows1252(const char* text, std::size_t length);
