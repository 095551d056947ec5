#include "support/HyperLink.h"

#include "platform/Shell.h"

#include <vector>

const COLORREF CHyperLink::s_crLink = RGB(0, 0, 255);
const COLORREF CHyperLink::s_crActive = RGB(0, 128, 128);
const COLORREF CHyperLink::s_crFollowed = RGB(128, 0, 128);
const COLORREF CHyperLink::s_crHot = RGB(255, 0, 0);
HCURSOR CHyperLink::s_hLinkCursor = nullptr;

namespace {

constexpr DWORD kUnderline = 0x01;
constexpr DWORD kUseHot = 0x02;
constexpr DWORD kFitToText = 0x04;
constexpr DWORD kFollowOnPress = 0x08;
constexpr DWORD kFocusOnClick = 0x10;
constexpr DWORD kNoHandCursor = 0x20;
constexpr DWORD kNoActiveColour = 0x40;

}  // namespace

BEGIN_MESSAGE_MAP(CHyperLink, CStatic)
    ON_WM_SETCURSOR()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_WM_KEYDOWN()
    ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

CHyperLink::CHyperLink() = default;

CHyperLink::~CHyperLink()
{
    m_font.DeleteObject();
    m_tip.DestroyWindow();
}

void CHyperLink::SetTarget(LPCSTR target)
{
    m_strTarget = target;
    if (!m_hWnd || !::IsWindow(m_hWnd))
        return;
    ShowWindow(SW_HIDE);
    FitToText();
    m_tip.UpdateTipText(m_strTarget, this, 1);
    ShowWindow(SW_SHOW);
}

void CHyperLink::PreSubclassWindow()
{
    CString text;
    GetWindowText(text);
    if (m_strTarget.IsEmpty())
        m_strTarget = text;
    if (text.IsEmpty())
        SetWindowText(m_strTarget);

    if (CFont* font = GetFont()) {
        LOGFONT lf{};
        font->GetLogFont(&lf);
        lf.lfUnderline = (m_dwOptions & kUnderline) ? 1 : 0;
        if (m_font.CreateFontIndirect(&lf))
            SetFont(&m_font, TRUE);
        FitToText();
    } else {
        m_dwOptions &= ~kFitToText;
    }
    if (!(m_dwOptions & kNoHandCursor))
        LoadLinkCursor();
    m_tip.Create(this);
    m_tip.AddTool(this, m_strTarget, nullptr, 1);
    Repaint();
    CStatic::PreSubclassWindow();
}

BOOL CHyperLink::PreTranslateMessage(MSG* pMsg)
{
    m_tip.RelayEvent(pMsg);
    return CStatic::PreTranslateMessage(pMsg);
}

COLORREF CHyperLink::CtlColor() const
{
    if (m_bHot && (m_dwOptions & kUseHot))
        return s_crHot;
    if (m_bActive && !(m_dwOptions & kNoActiveColour))
        return s_crActive;
    if (m_bFollowed)
        return s_crFollowed;
    return s_crLink;
}

void CHyperLink::Repaint()
{
    SetTextColor(CtlColor());
    Invalidate(TRUE);
}

BOOL CHyperLink::OnSetCursor(CWnd*, UINT, UINT)
{
    if (!s_hLinkCursor)
        return FALSE;
    ::SetCursor(s_hLinkCursor);
    return TRUE;
}

void CHyperLink::OnMouseMove(UINT, CPoint point)
{
    if (!m_bHot) {
        m_bHot = TRUE;
        Repaint();
        SetCapture();
        return;
    }
    CRect client;
    GetClientRect(client);
    if (!client.PtInRect(point)) {
        m_bHot = FALSE;
        ReleaseCapture();
        Repaint();
    }
}

void CHyperLink::OnLButtonUp(UINT, CPoint)
{
    if (m_bActive && !(m_dwOptions & kFollowOnPress))
        FollowLink();
}

void CHyperLink::OnLButtonDown(UINT, CPoint)
{
    if (m_dwOptions & kFocusOnClick)
        SetFocus();
    if (m_dwOptions & kFollowOnPress)
        FollowLink();
    m_bActive = TRUE;
}

void CHyperLink::OnSetFocus(CWnd*)
{
    m_bActive = TRUE;
    Repaint();
}

void CHyperLink::OnKillFocus(CWnd*)
{
    m_bHot = FALSE;
    m_bActive = FALSE;
    Repaint();
}

void CHyperLink::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (nChar == VK_SPACE)
        FollowLink();
    else
        CStatic::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CHyperLink::FitToText()
{
    if (!(m_dwOptions & kFitToText) || !m_hWnd)
        return;
    CRect window, client;
    GetWindowRect(window);
    if (CWnd* parent = GetParent())
        parent->ScreenToClient(window);
    GetClientRect(client);
    const int borderX = window.Width() - client.Width();
    const int borderY = window.Height() - client.Height();

    CString text;
    GetWindowText(text);
    const CSize extent = GetTextExtent(text);

    CRect r = window;
    const DWORD style = GetStyle();
    if (style & SS_CENTERIMAGE) {
        const int d = (r.Height() - extent.cy) / 2;
        r.top += d;
        r.bottom -= d;
    } else {
        r.bottom = r.top + extent.cy;
    }
    const DWORD type = style & 0x1F;
    if (type == SS_CENTER) {
        const int d = (r.Width() - extent.cx) / 2;
        r.left += d;
        r.right -= d;
    } else if (type == SS_RIGHT) {
        r.left = r.right - extent.cx;
    } else {
        r.right = r.left + extent.cx;
    }
    MoveWindow(r.left, r.top, r.Width() + borderX, r.Height() + borderY);
    Invalidate(TRUE);
}

void CHyperLink::LoadLinkCursor()
{
    if (s_hLinkCursor)
        return;
    // The desktop always has a hand cursor; no older fallback is needed.
    s_hLinkCursor = LoadCursorA(nullptr, IDC_HAND);
}

void CHyperLink::FollowLink()
{
    const int result = OpenTarget(m_strTarget, SW_SHOW);
    if (result > 32) {
        m_bFollowed = TRUE;
        Repaint();
        return;
    }
    MessageBeep(MB_ICONEXCLAMATION);
    ShowOpenError(result);
}

LONG CHyperLink::ReadClassKeyDefault(HKEY root, LPCSTR subKey, CString& out)
{
    HKEY key = nullptr;
    const LONG result = RegOpenKeyExA(root, subKey, 0, KEY_QUERY_VALUE, &key);
    if (result != ERROR_SUCCESS)
        return result;
    // Sized from the answer: a UTF-8 path (a browser under C:\Users\Björn)
    // takes more bytes than it has characters.
    LONG size = 0;
    std::vector<char> buffer;
    if (RegQueryValueA(key, nullptr, nullptr, &size) == ERROR_SUCCESS && size >= 0) {
        buffer.assign(std::size_t(size) + 1, '\0');
        if (RegQueryValueA(key, nullptr, buffer.data(), &size) != ERROR_SUCCESS)
            buffer.clear();
    }
    out = buffer.empty() ? "" : buffer.data();
    RegCloseKey(key);
    return 0;
}

int CHyperLink::OpenTarget(LPCSTR target, int showCommand)
{
    const auto shell = static_cast<int>(reinterpret_cast<std::intptr_t>(
        ShellExecuteA(nullptr, "open", target, nullptr, nullptr, showCommand)));
    if (shell > 32)
        return shell;
    CString type, command;
    if (ReadClassKeyDefault(HKEY_CLASSES_ROOT, ".htm", type) != 0)
        return shell;
    if (ReadClassKeyDefault(HKEY_CLASSES_ROOT, type + "\\shell\\open\\command", command) != 0)
        return shell;
    int at = command.Find("\"%1\"");
    if (at < 0)
        at = command.Find("%1");
    if (at >= 0)
        command = command.Left(at);
    // A browser wants the address without the shell's "URL:" moniker.
    CString address = target ? target : "";
    if (address.Left(4) == "URL:")
        address = address.Mid(4);
    command += " ";
    command += address;

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = WORD(showCommand);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, const_cast<LPSTR>(command.GetString()), nullptr, nullptr, FALSE,
                        NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &process))
        return 0;
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return 33;
}

CString CHyperLink::OpenErrorText(int code)
{
    CString reason;
    switch (unsigned(code)) {
    case 0: reason = "The operating system is out\nof memory or resources."; break;
    case 2: reason = "The specified file was not found."; break;
    case 3: reason = "The specified path was not found."; break;
    case 5: reason = "The operating system denied\naccess to the specified file."; break;
    case 8: reason = "There was not enough memory to complete the operation."; break;
    case 11: reason = "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."; break;
    case 26: reason = "A sharing violation occurred. "; break;
    case 27: reason = "The filename association is\nincomplete or invalid."; break;
    case 28: reason = "The DDE transaction could not\nbe completed because the request timed out."; break;
    case 29: reason = "The DDE transaction failed."; break;
    case 30:
        reason = "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed.";
        break;
    case 31: reason = "There is no application associated\nwith the given filename extension."; break;
    case 32: reason = "The specified dynamic-link library was not found."; break;
    default: reason.Format("Unknown Error (%d) occurred.", code); break;
    }
    return "Can't open link:\n\n" + reason;
}

void CHyperLink::ShowOpenError(int code) { AfxMessageBox(OpenErrorText(code), MB_ICONEXCLAMATION); }
