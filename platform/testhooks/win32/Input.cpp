// The hooks on windows and input over Win32: keys posted as the keyboard
// would post them, clicks through the controls' own messages, texts and
// states read back from the windows.

#include "platform/testhooks/TestHooks.h"

#include "platform/Wnd.h"
#include "platform/win32/Internal.h"

#include <cstring>
#include <vector>

namespace {

HWND Root(HWND hWnd) { return ::GetAncestor(hWnd, GA_ROOT); }

bool IsExtendedKey(UINT vk)
{
    switch (vk) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_INSERT:
    case VK_DELETE:
    case VK_DIVIDE:
        return true;
    default:
        return false;
    }
}

std::wstring KeyName(UINT vk)
{
    wchar_t name[64] = {};
    const LONG lParam = LONG(::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC) << 16 | (IsExtendedKey(vk) ? 1 << 24 : 0));
    ::GetKeyNameTextW(lParam, name, 64);
    return name;
}

// The hot-key control paints its key and has no text: it is written as the
// control writes it, the keyboard's names joined by " + ".
std::string HotKeyText(HWND hHotKey)
{
    const auto value = LRESULT(::SendMessageW(hHotKey, HKM_GETHOTKEY, 0, 0));
    const UINT vk = LOBYTE(LOWORD(value)), modifiers = HIBYTE(LOWORD(value));
    std::wstring text;
    const auto add = [&](const std::wstring& part) { text += (text.empty() ? L"" : L" + ") + part; };
    if (modifiers & HOTKEYF_CONTROL)
        add(KeyName(VK_CONTROL));
    if (modifiers & HOTKEYF_SHIFT)
        add(KeyName(VK_SHIFT));
    if (modifiers & HOTKEYF_ALT)
        add(KeyName(VK_MENU));
    if (vk)
        add(KeyName(vk));
    return AfxNarrow(text);
}

// Sends a command as a click in the menu does, after the menu was opened
// (WM_INITMENUPOPUP lets the owner enable and check its entries).
bool InvokeMenuItem(HWND hWnd, HMENU menu, UINT nID, bool systemMenu)
{
    if (!menu)
        return false;
    if (systemMenu) {
        ::SendMessageW(hWnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, TRUE));
    } else {
        ::SendMessageW(hWnd, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
        for (int i = 0, n = ::GetMenuItemCount(menu); i < n; ++i)
            if (HMENU popup = ::GetSubMenu(menu, i))
                ::SendMessageW(hWnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(i, FALSE));
    }
    const UINT state = ::GetMenuState(menu, nID, MF_BYCOMMAND);
    if (state == UINT(-1) || (state & (MF_GRAYED | MF_DISABLED | MF_POPUP)))
        return false;
    ::SendMessageW(hWnd, systemMenu ? WM_SYSCOMMAND : WM_COMMAND, systemMenu ? nID : MAKEWPARAM(nID, 0), 0);
    testhooks::ProcessEvents();
    return true;
}

}  // namespace

namespace testhooks {

void ProcessEvents()
{
    // The loop's own dispatch, with the keys through the application's
    // filter. A quit posted by a window the test destroyed is not for the
    // test program.
    for (int round = 0; round < 3; ++round) {
        MSG msg{};
        for (int n = 0; n < 10000 && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++n)
            if (msg.message != WM_QUIT)
                AfxDispatchMessage(msg, AfxModalWindow());
    }
    AfxDeleteTemporaryWnds();
}

void PostCommand(HWND hWnd, UINT nID) { ::SendMessageW(hWnd, WM_COMMAND, MAKEWPARAM(nID, 0), 0); }

void SendKey(HWND hWnd, UINT vk, bool shift, bool ctrl, bool alt)
{
    if (!::IsWindow(hWnd))
        return;
    HWND target = hWnd;
    if (Root(hWnd) == hWnd) {
        HWND focus = ::GetFocus();
        if (focus && Root(focus) == hWnd)
            target = focus;
    }
    // The modifiers as GetKeyState reads them while the key is handled.
    BYTE saved[256] = {}, state[256] = {};
    ::GetKeyboardState(saved);
    std::memcpy(state, saved, sizeof state);
    const auto press = [&](int key, bool down) { state[key] = down ? 0x80 : 0; };
    // One key going down or up, as the keyboard posts it to the focus.
    const auto post = [&](UINT key, bool down) {
        press(int(key), down);
        if (key == VK_SHIFT)
            press(VK_LSHIFT, down);
        else if (key == VK_CONTROL)
            press(VK_LCONTROL, down);
        else if (key == VK_MENU)
            press(VK_LMENU, down);
        ::SetKeyboardState(state);
        const UINT scan = ::MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
        // As Windows: Alt held marks the key (bit 29); with Alt and without
        // Ctrl it is a system key.
        const bool altDown = state[VK_MENU] & 0x80, ctrlDown = state[VK_CONTROL] & 0x80;
        LPARAM lParam = 1 | LPARAM(scan & 0xFF) << 16 | (IsExtendedKey(key) ? 1 << 24 : 0) | (altDown ? 1 << 29 : 0);
        if (!down)
            lParam |= LPARAM(1) << 30 | LPARAM(1) << 31;
        const bool system = (altDown && !ctrlDown) || key == VK_F10;
        const UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
        if (::IsWindow(target)) {
            ::PostMessageW(target, message, key, lParam);
            ProcessEvents();
        }
    };
    std::vector<UINT> modifiers;
    if (ctrl)
        modifiers.push_back(VK_CONTROL);
    if (shift)
        modifiers.push_back(VK_SHIFT);
    if (alt)
        modifiers.push_back(VK_MENU);
    for (UINT m : modifiers)
        post(m, true);
    post(vk, true);
    post(vk, false);
    for (auto m = modifiers.rbegin(); m != modifiers.rend(); ++m)
        post(*m, false);
    ::SetKeyboardState(saved);
}

void ClickClose(HWND hWnd)
{
    if (::IsWindow(hWnd))
        ::SendMessageW(Root(hWnd), WM_SYSCOMMAND, SC_CLOSE, 0);
}

void ClickMinimize(HWND hWnd)
{
    if (::IsWindow(hWnd))
        ::SendMessageW(Root(hWnd), WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

bool ClickMenuItem(HWND hWnd, UINT nID) { return InvokeMenuItem(hWnd, ::GetMenu(hWnd), nID, false); }

bool ClickSystemMenuItem(HWND hWnd, UINT nID)
{
    return InvokeMenuItem(hWnd, ::GetSystemMenu(hWnd, FALSE), nID, true);
}

void ClickButton(HWND hButton)
{
    if (::IsWindow(hButton) && ::IsWindowEnabled(hButton))
        ::SendMessageW(hButton, BM_CLICK, 0, 0);
}

void TypeText(HWND hEdit, const char* text)
{
    if (!::IsWindow(hEdit))
        return;
    const std::wstring wide = AfxWide(text ? text : "");
    wchar_t cls[32] = {};
    ::GetClassNameW(hEdit, cls, 32);
    if (_wcsicmp(cls, L"Edit") != 0) {
        ::SendMessageW(hEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
        return;
    }
    // As typing over the whole text: the edit reports the change itself.
    ::SetFocus(hEdit);
    ::SendMessageW(hEdit, EM_SETSEL, 0, -1);
    ::SendMessageW(hEdit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(wide.c_str()));
}

bool IsChecked(HWND hButton)
{
    return ::IsWindow(hButton) && ::SendMessageW(hButton, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::string WindowText(HWND hWnd)
{
    if (!::IsWindow(hWnd))
        return std::string();
    wchar_t cls[32] = {};
    if (::GetClassNameW(hWnd, cls, 32) && _wcsicmp(cls, HOTKEY_CLASSW) == 0)
        return HotKeyText(hWnd);
    std::wstring text(std::size_t(::GetWindowTextLengthW(hWnd)) + 1, L'\0');
    text.resize(std::size_t(::GetWindowTextW(hWnd, text.data(), int(text.size()))));
    return AfxNarrow(text);
}

std::string VisibleEditText(HWND hEdit)
{
    if (!::IsWindow(hEdit))
        return std::string();
    std::wstring text(std::size_t(::GetWindowTextLengthW(hEdit)) + 1, L'\0');
    text.resize(std::size_t(::GetWindowTextW(hEdit, text.data(), int(text.size()))));
    RECT area{};
    ::SendMessageW(hEdit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
    // A character is shown when its cell lies inside the formatting rectangle.
    HDC dc = ::GetDC(hEdit);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(hEdit, WM_GETFONT, 0, 0)));
    std::wstring shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const LRESULT pos = ::SendMessageW(hEdit, EM_POSFROMCHAR, WPARAM(i), 0);
        const int left = short(LOWORD(pos));
        SIZE cell{};
        ::GetTextExtentPoint32W(dc, &text[i], 1, &cell);
        if (pos != -1 && left >= area.left && left + cell.cx <= area.right)
            shown += text[i];
    }
    ::SelectObject(dc, old);
    ::ReleaseDC(hEdit, dc);
    return AfxNarrow(shown);
}

HWND FocusWindow() { return ::GetFocus(); }

bool IsForeground(HWND hWnd) { return ::IsWindow(hWnd) && ::GetForegroundWindow() == Root(hWnd); }

COLORREF TextColor(HWND hWnd)
{
    if (!::IsWindow(hWnd))
        return 0;
    // The colour a static was given (see CStatic::SetTextColor), else the system's.
    if (const auto value = reinterpret_cast<UINT_PTR>(::GetPropW(hWnd, L"Talvo.TextColour")))
        return COLORREF(value - 1);
    return ::GetSysColor(COLOR_BTNTEXT);
}

std::string ToolTip(HWND hWnd)
{
    struct Search {
        HWND tool;
        std::string text;
    } search{hWnd, {}};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND h, LPARAM lParam) {
            auto* s = reinterpret_cast<Search*>(lParam);
            wchar_t cls[32] = {};
            if (!::GetClassNameW(h, cls, 32) || _wcsicmp(cls, TOOLTIPS_CLASSW) != 0)
                return TRUE;
            wchar_t text[1024] = {};
            TTTOOLINFOW ti{};
            ti.cbSize = sizeof ti;
            ti.hwnd = ::GetParent(s->tool);
            ti.uId = reinterpret_cast<UINT_PTR>(s->tool);
            ti.uFlags = TTF_IDISHWND;
            ti.lpszText = text;
            ::SendMessageW(h, TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&ti));
            if (!text[0])
                return TRUE;
            s->text = AfxNarrow(text);
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.text;
}

bool IsUnderlined(HWND hWnd)
{
    LOGFONTW font{};
    auto hFont = reinterpret_cast<HFONT>(::SendMessageW(hWnd, WM_GETFONT, 0, 0));
    return hFont && ::GetObjectW(hFont, sizeof font, &font) && font.lfUnderline;
}

}  // namespace testhooks
