#pragma once
#include "platform/Win32.h"

#ifndef _WIN32
// Plays a .wav file (SND_FILENAME), asynchronously with SND_ASYNC. Returns
// FALSE at once for a missing or unreadable file; SND_NODEFAULT: no fallback sound.
BOOL PlaySoundA(LPCSTR pszSound, HMODULE hmod, DWORD fdwSound);
#else
// Windows' own PlaySoundA answers an asynchronous play before it opens the
// file, so a missing file would pass unnoticed; the platform's checks it first.
BOOL AfxPlaySound(LPCSTR pszSound, HMODULE hmod, DWORD fdwSound);
#undef PlaySound
#define PlaySoundA AfxPlaySound
#endif

// Before the program ends: lets a sound still being loaded finish loading.
void AfxSettleSound();
