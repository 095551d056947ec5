#pragma once
// Inside platform/ only: the Win32 handles are Qt objects in disguise.
// An HWND is the QWidget of the window or control, an HICON a heap QIcon
// (released by DestroyIcon), an HMENU a QMenu or QMenuBar.

#include "platform/Win32.h"

class QWidget;
class QIcon;
class QMenu;

inline QWidget* WidgetFromHandle(HWND h) { return reinterpret_cast<QWidget*>(h); }
inline HWND HandleFromWidget(QWidget* w) { return reinterpret_cast<HWND>(w); }
inline QIcon* IconFromHandle(HICON h) { return reinterpret_cast<QIcon*>(h); }
inline HICON HandleFromIcon(QIcon* i) { return reinterpret_cast<HICON>(i); }
