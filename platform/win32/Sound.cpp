// Sound through winmm's PlaySoundW; a file is opened first, so that an
// asynchronous play of a missing or unreadable file (or one that is no file
// on disk) still answers FALSE.

#include "platform/Sound.h"

#include "platform/win32/Internal.h"
#include "platform/win32/Seams.h"

#include <cstring>
#include <mmsystem.h>

BOOL AfxPlaySound(LPCSTR pszSound, HMODULE hmod, DWORD fdwSound)
{
    if (!pszSound)
        return ::PlaySoundW(nullptr, hmod, fdwSound);
    if (AfxWin32Seam().recording && (fdwSound & SND_FILENAME))
        AfxWin32Seam().soundsPlayed.emplace_back(pszSound);
    const std::wstring sound = AfxWide(pszSound);
    if (fdwSound & SND_FILENAME) {
        HANDLE h = ::CreateFileW(sound.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return FALSE;
        char riff[12] = {};
        DWORD read = 0;
        // Only a file on disk: a read from a named pipe or a device could wait.
        const bool wave = ::GetFileType(h) == FILE_TYPE_DISK && ::ReadFile(h, riff, sizeof riff, &read, nullptr) &&
                          read == sizeof riff && std::memcmp(riff, "RIFF", 4) == 0 &&
                          std::memcmp(riff + 8, "WAVE", 4) == 0;
        ::CloseHandle(h);
        if (!wave)
            return FALSE;
    }
    return ::PlaySoundW(sound.c_str(), hmod, fdwSound);
}

void AfxSettleSound() {}
