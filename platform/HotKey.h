#pragma once
#include "platform/Win32.h"

// Global hotkeys (an X11 key grab on the xcb platform). A press arrives at
// hWnd as WM_HOTKEY with id in wParam. FALSE where no grab is possible
// (another program holds the key, or no X11).
#ifndef _WIN32
BOOL RegisterHotKey(HWND hWnd, int id, UINT fsModifiers, UINT vk);
BOOL UnregisterHotKey(HWND hWnd, int id);
#else
// user32's, with the keys held kept for tests.
BOOL AfxRegisterHotKey(HWND hWnd, int id, UINT fsModifiers, UINT vk);
BOOL AfxUnregisterHotKey(HWND hWnd, int id);
#define RegisterHotKey   AfxRegisterHotKey
#define UnregisterHotKey AfxUnregisterHotKey
#endif
