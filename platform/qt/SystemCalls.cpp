// Small Win32 calls: beep, string copy, registered window messages.

#include "platform/Wnd.h"

#include "platform/qt/Internal.h"
#include "platform/qt/Seams.h"
#include "platform/qt/TextCodec.h"
#include "platform/qt/WndCore.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <string>

BOOL MessageBeep(UINT)
{
    if (AfxQtSeam().recording)
        ++AfxQtSeam().beeps;
    QApplication::beep();
    return TRUE;
}

LPSTR lstrcpynA(LPSTR dest, LPCSTR src, int maxLength)
{
    if (!dest || maxLength <= 0)
        return dest;
    if (!src)
        src = "";
    std::size_t len = std::strlen(src);
    std::size_t n = std::min<std::size_t>(len, std::size_t(maxLength - 1));
    // UTF-8 text is never cut inside a character.
    if (n < len && AfxIsValidUtf8(src, len))
        while (n > 0 && (static_cast<unsigned char>(src[n]) & 0xC0) == 0x80)
            --n;
    std::memcpy(dest, src, n);
    dest[n] = '\0';
    return dest;
}

UINT RegisterWindowMessageA(LPCSTR name)
{
    static std::map<std::string, UINT> registered;
    static UINT next = 0xC000;
    if (!name || !*name)
        return 0;
    std::string key(name);
    for (char& c : key)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    auto it = registered.find(key);
    if (it != registered.end())
        return it->second;
    if (next > 0xFFFF)
        return 0;
    registered.emplace(key, next);
    return next++;
}
