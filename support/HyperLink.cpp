#include "support/HyperLink.h"

#include "platform/Shell.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

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

std::string Env(const char* name, const std::string& fallback)
{
    const char* v = std::getenv(name);
    return v && *v ? std::string(v) : fallback;
}

std::vector<std::string> Split(const std::string& list, char sep)
{
    std::vector<std::string> parts;
    std::stringstream in(list);
    std::string part;
    while (std::getline(in, part, sep))
        if (!part.empty())
            parts.push_back(part);
    return parts;
}

// The value of key in the [group] of an ini-style file, or empty.
std::string IniValue(const std::string& path, const std::string& group, const std::string& key)
{
    std::ifstream in(path);
    std::string line;
    bool inGroup = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line.front() == '[') {
            inGroup = line == "[" + group + "]";
            continue;
        }
        if (inGroup && line.compare(0, key.size() + 1, key + "=") == 0)
            return line.substr(key.size() + 1);
    }
    return std::string();
}

// The command line of the desktop's default web browser, from $BROWSER or
// the desktop entry that mimeapps.list names for http.
std::string BrowserCommandLine()
{
    const std::vector<std::string> fromEnv = Split(Env("BROWSER", ""), ':');
    if (!fromEnv.empty())
        return fromEnv.front();
    const std::string home = Env("HOME", "");
    const std::string configHome = Env("XDG_CONFIG_HOME", home + "/.config");
    const std::string dataHome = Env("XDG_DATA_HOME", home + "/.local/share");
    std::vector<std::string> lists{configHome + "/mimeapps.list"};
    for (const std::string& d : Split(Env("XDG_CONFIG_DIRS", "/etc/xdg"), ':'))
        lists.push_back(d + "/mimeapps.list");
    lists.push_back(dataHome + "/applications/mimeapps.list");
    std::vector<std::string> dataDirs{dataHome};
    for (const std::string& d : Split(Env("XDG_DATA_DIRS", "/usr/local/share:/usr/share"), ':'))
        dataDirs.push_back(d);
    for (const std::string& list : lists) {
        const std::vector<std::string> entries =
            Split(IniValue(list, "Default Applications", "x-scheme-handler/http"), ';');
        for (const std::string& entry : entries)
            for (const std::string& dir : dataDirs) {
                const std::string exec = IniValue(dir + "/applications/" + entry, "Desktop Entry", "Exec");
                if (!exec.empty())
                    return exec;
            }
    }
    return std::string();
}

} // namespace

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
        LOGFONT lf;
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

std::vector<std::string> CHyperLink::BrowserArguments(const std::string& commandLine, const std::string& target)
{
    // Desktop Entry quoting: blanks separate, double quotes group, a
    // backslash in quotes escapes the next character.
    std::vector<std::string> args;
    std::string current;
    bool quoted = false, any = false;
    for (std::size_t i = 0; i < commandLine.size(); ++i) {
        const char c = commandLine[i];
        if (quoted) {
            if (c == '\\' && i + 1 < commandLine.size())
                current += commandLine[++i];
            else if (c == '"')
                quoted = false;
            else
                current += c;
        } else if (c == '"') {
            quoted = any = true;
        } else if (c == ' ' || c == '\t') {
            if (any || !current.empty())
                args.push_back(current);
            current.clear();
            any = false;
        } else {
            current += c;
        }
    }
    if (any || !current.empty())
        args.push_back(current);

    // Cut at the document placeholder ("%1", the desktop entry's %u %U %f %F,
    // $BROWSER's %s); other field codes mean nothing here.
    std::vector<std::string> kept;
    for (const std::string& a : args) {
        if (a.find("%1") != std::string::npos || a.find("%u") != std::string::npos ||
            a.find("%U") != std::string::npos || a.find("%f") != std::string::npos ||
            a.find("%F") != std::string::npos || a.find("%s") != std::string::npos)
            break;
        if (a.size() == 2 && a[0] == '%')
            continue;
        std::string unescaped;
        for (std::size_t i = 0; i < a.size(); ++i)
            unescaped += (a[i] == '%' && i + 1 < a.size() && a[i + 1] == '%') ? a[i++] : a[i];
        kept.push_back(unescaped);
    }
    if (kept.empty())
        return kept;
    kept.push_back(target);
    return kept;
}

int CHyperLink::OpenTarget(LPCSTR target, int showCommand)
{
    const auto shell = static_cast<int>(reinterpret_cast<std::intptr_t>(
        ShellExecuteA(nullptr, "open", target, nullptr, nullptr, showCommand)));
    if (shell > 32)
        return shell;
    const std::string commandLine = BrowserCommandLine();
    if (commandLine.empty())
        return shell;
    // A browser wants the address without the shell's "URL:" moniker.
    std::string address = target ? target : "";
    if (address.compare(0, 4, "URL:") == 0)
        address.erase(0, 4);
    const std::vector<std::string> args = BrowserArguments(commandLine, address);
    if (args.empty())
        return shell;
    return CreateProcessArgv(args) ? 33 : 0;
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
