#pragma once
// Windows virtual-key codes for the keys Qt reports, and back, and the X
// keysyms that type a virtual key (for the global hotkey's grab).

#include "platform/Win32.h"

#include <vector>

UINT AfxVirtualKeyFromQtKey(int key, int modifiers);
int AfxQtKeyFromVirtualKey(UINT vk);
// The keysyms that may type vk, the likeliest first.
std::vector<unsigned> AfxKeysymsFromVirtualKey(UINT vk);
// Whether the keyboard has a Nordic layout (a key gives å, ä or ö). Without
// an X server: true, the layout of the program's own language.
bool AfxKeyboardIsNordic();
