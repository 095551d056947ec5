#pragma once
// Inside platform/qt only: what the window layer's files share. Which CWnd
// stands for which widget, the messages being handled, the mouse capture and
// the last foreground window, and the widget properties that carry a
// window's Win32 state.

#include "platform/qt/Internal.h"
#include "platform/qt/QtHandles.h"
#include "platform/Wnd.h"

#include <QHash>
#include <QPointer>
#include <QSet>
#include <QWidget>

#include <vector>

namespace afxwnd {

extern QHash<QWidget*, CWnd*> g_permanent;
extern QSet<QWidget*> g_dead;  // destroyed by DestroyWindow, deletion pending
extern QHash<QWidget*, AfxWidgetProc> g_widgetProcs;
extern std::vector<MSG> g_msgStack;
extern QPointer<QWidget> g_capture;
extern QPointer<QWidget> g_lastForeground;

inline constexpr const char* kExStyleProperty = "talvoExStyle";
inline constexpr const char* kIconBigProperty = "talvoIconBig";
inline constexpr const char* kIconSmallProperty = "talvoIconSmall";
inline constexpr const char* kFontProperty = "talvoFont";
inline constexpr const char* kMenuProperty = "talvoMenu";
inline constexpr const char* kModalLoopProperty = "talvoModalLoop";

inline QWidget* W(HWND h) { return WidgetFromHandle(h); }

// The message being handled, for CWnd::GetCurrentMessage.
struct MessageScope {
    MessageScope(HWND h, UINT m, WPARAM wp, LPARAM lp)
    {
        MSG msg;
        msg.hwnd = h;
        msg.message = m;
        msg.wParam = wp;
        msg.lParam = lp;
        g_msgStack.push_back(msg);
    }
    ~MessageScope() { g_msgStack.pop_back(); }
};

}  // namespace afxwnd
