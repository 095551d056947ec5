// CDialog over the dialog manager: the template of res/ written out as an
// in-memory DLGTEMPLATEEX, modal dialogs in a loop of our own so that
// PreTranslateMessage and the application's filter keep working.

#include "platform/Dialog.h"

#include "platform/Menu.h"
#include "platform/Trace.h"
#include "platform/WinApp.h"
#include "platform/win32/Internal.h"
#include "platform/win32/Seams.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// The words of a DLGTEMPLATEEX: WORD-aligned arrays, DWORD-aligned items.
class TemplateWriter {
public:
    void Word(WORD w) { m_words.push_back(w); }
    void Dword(DWORD d)
    {
        Word(WORD(d & 0xFFFF));
        Word(WORD(d >> 16));
    }
    void Text(const char* utf8)
    {
        for (wchar_t c : AfxWide(utf8 ? utf8 : ""))
            Word(WORD(c));
        Word(0);
    }
    void Ordinal(WORD id)
    {
        Word(0xFFFF);
        Word(id);
    }
    void AlignDword()
    {
        if (m_words.size() % 2)
            Word(0);
    }
    std::vector<WORD> Take() { return std::move(m_words); }

private:
    std::vector<WORD> m_words;
};

bool IsIconStatic(const DialogItemTemplate& item)
{
    return std::strcmp(item.className, "Static") == 0 && (item.style & 0x1F) == SS_ICON && item.text &&
           item.text[0] == '#';
}

// A date picker shows the year with four digits, whatever the locale's
// short format says: "26" cannot tell the user which century it stores.
DWORD ItemStyle(const DialogItemTemplate& item)
{
    constexpr DWORD kFormatBits = 0x000C;  // short date, long date, time, century
    if (std::strcmp(item.className, "SysDateTimePick32") == 0 && (item.style & kFormatBits) == DTS_SHORTDATEFORMAT)
        return (item.style & ~kFormatBits) | DTS_SHORTDATECENTURYFORMAT;
    return item.style;
}

}  // namespace

std::vector<WORD> AfxBuildDialogTemplate(const DialogTemplate& t)
{
    TemplateWriter w;
    DWORD style = t.style;
    if (t.fontName)
        style |= DS_SETFONT;
    // Made hidden: the owner shows it once OnInitDialog has run.
    style &= ~DWORD(WS_VISIBLE);
    w.Word(1);       // dlgVer
    w.Word(0xFFFF);  // signature
    w.Dword(0);      // helpID
    w.Dword(t.exStyle);
    w.Dword(style);
    w.Word(WORD(t.items.size()));
    w.Word(0);  // x and y: the dialog is placed when shown
    w.Word(0);
    w.Word(WORD(t.cx));
    w.Word(WORD(t.cy));
    w.Word(0);  // no menu resource: the menu comes from the tables
    w.Word(0);  // the dialog class
    w.Text(t.caption);
    if (style & DS_SETFONT) {
        w.Word(WORD(t.pointSize));
        w.Word(FW_NORMAL);
        w.Word(0);  // italic and charset
        w.Text(t.fontName);
    }
    for (const DialogItemTemplate& item : t.items) {
        w.AlignDword();
        w.Dword(0);  // helpID
        w.Dword(item.exStyle);
        w.Dword(ItemStyle(item));
        w.Word(WORD(item.x));
        w.Word(WORD(item.y));
        w.Word(WORD(item.cx));
        w.Word(WORD(item.cy));
        w.Dword(item.id == UINT(IDC_STATIC) ? DWORD(0xFFFF) : DWORD(item.id));
        w.Text(item.className);
        if (IsIconStatic(item))
            w.Ordinal(WORD(std::atoi(item.text + 1)));
        else
            w.Text(item.text);
        w.Word(0);  // no creation data
    }
    return w.Take();
}

namespace {

// The dialog manager's procedure: WM_INITDIALOG ties the window to its
// CDialog and runs OnInitDialog; every later message reaches the CDialog
// through AfxWndProc first, and this procedure answers only for the defaults.
struct DialogStart {
    CDialog* dialog;
    HMENU menu;
};

INT_PTR CALLBACK DialogProc(HWND hDlg, UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_INITDIALOG)
        return FALSE;
    const auto* start = reinterpret_cast<const DialogStart*>(lParam);
    AfxHookWindow(start->dialog, hDlg);
    if (start->menu) {
        // The template's size is the client area's, as with a menu named in a
        // dialog resource: the menu bar is added above it, before
        // OnInitDialog places anything.
        RECT client{};
        ::GetClientRect(hDlg, &client);
        ::SetMenu(hDlg, start->menu);
        RECT outer = client;
        ::AdjustWindowRectEx(&outer, DWORD(::GetWindowLongPtrW(hDlg, GWL_STYLE)), TRUE,
                             DWORD(::GetWindowLongPtrW(hDlg, GWL_EXSTYLE)));
        ::SetWindowPos(hDlg, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return start->dialog->OnInitDialog();
}

}  // namespace

HWND AfxCreateDialogWindow(const DialogTemplate& t, HWND hOwner, CDialog* pDialog, HMENU hMenu)
{
    const std::vector<WORD> words = AfxBuildDialogTemplate(t);
    const DialogStart start{pDialog, hMenu};
    HWND h = ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(words.data()),
                                          hOwner, DialogProc, reinterpret_cast<LPARAM>(&start));
    if (!h) {
        Trace("Dialog %u could not be created (error %lu).\n", t.id, ::GetLastError());
        return nullptr;
    }
    return h;
}

BOOL CDialog::CreateFromTemplate(const DialogTemplate* t, HWND hOwner)
{
    m_bModalEnded = false;
    m_nModalResult = -1;
    HMENU hMenu = nullptr;
    if (t->menuId) {
        hMenu = AfxBuildMenu(t->menuId);
        if (!hMenu)
            Trace("Dialog %u: menu %u not found.\n", t->id, t->menuId);
    }
    HWND h = AfxCreateDialogWindow(*t, hOwner, this, hMenu);
    if (!h || !::IsWindow(h)) {
        if (hMenu && ::IsMenu(hMenu))  // a destroyed window took its menu along
            ::DestroyMenu(hMenu);
        return FALSE;
    }
    if (t->style & WS_VISIBLE)
        ::ShowWindow(h, SW_SHOW);
    return TRUE;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    m_pParentWnd = pParentWnd;
    HWND hOwner = pParentWnd && ::IsWindow(pParentWnd->m_hWnd) ? pParentWnd->m_hWnd : nullptr;
    return CreateFromTemplate(nIDTemplate, hOwner);
}

namespace {
std::vector<HWND> g_modalWindows;  // innermost last
}  // namespace

HWND AfxModalWindow() { return g_modalWindows.empty() ? nullptr : g_modalWindows.back(); }

std::intptr_t CDialog::DoModal()
{
    HWND hOwner = nullptr;
    if (m_pParentWnd && ::IsWindow(m_pParentWnd->m_hWnd))
        hOwner = ::GetAncestor(m_pParentWnd->m_hWnd, GA_ROOT);
    else if (CWnd* main = AfxGetMainWnd(); main && ::IsWindow(main->m_hWnd))
        hOwner = main->m_hWnd;
    // A modal dialog of a modal dialog is owned by the innermost one.
    if (HWND active = ::GetActiveWindow(); hOwner && active && !::IsWindowEnabled(hOwner))
        hOwner = active;
    if (AfxQuitPosted() || !CreateFromTemplate(m_nIDTemplate, hOwner))
        return -1;
    HWND h = m_hWnd;
    const bool ownerEnabled = hOwner && ::IsWindowEnabled(hOwner);
    if (ownerEnabled)
        ::EnableWindow(hOwner, FALSE);
    if (!m_bModalEnded) {
        CenterWindow();
        ::ShowWindow(h, SW_SHOW);
        ::SetForegroundWindow(h);
        g_modalWindows.push_back(h);
        AfxRunQueuedModalAction(h);
        while (!m_bModalEnded && ::IsWindow(h) && AfxPumpMessage(h)) {
        }
        g_modalWindows.pop_back();
    }
    // The owner comes back before the dialog goes, or another window would
    // be activated in between.
    if (ownerEnabled && ::IsWindow(hOwner))
        ::EnableWindow(hOwner, TRUE);
    if (::IsWindow(h)) {
        ::SetWindowPos(h, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (hOwner && ::IsWindow(hOwner) && ::IsWindowVisible(hOwner))
            ::SetActiveWindow(hOwner);
        ::DestroyWindow(h);
    }
    // A WM_QUIT that ended the loop is for the outer loops too.
    if (AfxQuitPosted())
        ::PostQuitMessage(0);
    return m_nModalResult;
}

void CDialog::EndDialog(int nResult)
{
    m_nModalResult = nResult;
    m_bModalEnded = true;
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::ShowWindow(m_hWnd, SW_HIDE);
}

void CDialog::GotoDlgCtrl(CWnd* pWndCtrl)
{
    if (pWndCtrl && ::IsWindow(pWndCtrl->m_hWnd))
        ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(pWndCtrl->m_hWnd), TRUE);
}

DWORD CDialog::GetDefID() const
{
    if (m_nDefID)
        return MAKELONG(WORD(m_nDefID), DC_HASDEFID);
    return DWORD(::SendMessageW(m_hWnd, DM_GETDEFID, 0, 0));
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    // The dialog manager does Tab, arrows, mnemonics, Enter and Esc.
    if (!pMsg || !m_hWnd || !::IsWindow(m_hWnd))
        return FALSE;
    if (pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST)
        return FALSE;
    if (pMsg->hwnd != m_hWnd && !::IsChild(m_hWnd, pMsg->hwnd))
        return FALSE;
    return ::IsDialogMessageW(m_hWnd, pMsg);
}
