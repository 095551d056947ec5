// CFindReplaceDialog over comdlg32's modeless find dialog (FindTextW), on
// the Swedish template the Linux build shows too. comdlg32 fills a
// FINDREPLACEW of ours and sends FINDMSGSTRING with it to the owner;
// GetNotifier finds the dialog by it and copies what it says into m_fr.
// The window is attached to the object, so that the dialog manager's keys
// reach it through CDialog::PreTranslateMessage and the object deletes
// itself when the window goes.

#include "platform/FindReplaceDialog.h"

#include "platform/Trace.h"
#include "platform/WinApp.h"
#include "platform/portable/FindDialogTemplate.h"
#include "platform/win32/Internal.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr WORD kTextSize = 128;  // characters, as m_szFindWhat has bytes

// Flags of the wide structure that the program neither sets nor reads.
constexpr DWORD kInternalFlags = FR_ENABLEHOOK | FR_ENABLETEMPLATE | FR_ENABLETEMPLATEHANDLE;

struct WideFind {
    CFindReplaceDialog* dialog = nullptr;
    FINDREPLACEW fr{};
    wchar_t findWhat[kTextSize] = {};
    wchar_t replaceWith[kTextSize] = {};
    HGLOBAL dialogTemplate = nullptr;

    WideFind() = default;
    WideFind(const WideFind&) = delete;
    WideFind& operator=(const WideFind&) = delete;
    ~WideFind()
    {
        if (dialogTemplate)
            ::GlobalFree(dialogTemplate);
    }
};

std::vector<std::unique_ptr<WideFind>> g_live;

WideFind* EntryOf(const CFindReplaceDialog* dialog)
{
    auto it = std::find_if(g_live.begin(), g_live.end(), [dialog](const auto& e) { return e->dialog == dialog; });
    return it != g_live.end() ? it->get() : nullptr;
}

// The entry of a dialog that Create has given to comdlg32, or null.
const WideFind* CreatedEntryOf(const CFindReplaceDialog* dialog)
{
    const WideFind* e = EntryOf(dialog);
    return e && e->fr.lStructSize ? e : nullptr;
}

DWORD FlagsOf(const CFindReplaceDialog* dialog)
{
    const WideFind* e = CreatedEntryOf(dialog);
    return e ? e->fr.Flags & ~kInternalFlags : dialog->m_fr.Flags;
}

// A template for comdlg32 is a memory object; a fixed one is its own address.
HGLOBAL TemplateMemory()
{
    const std::vector<WORD> words = AfxBuildDialogTemplate(AfxFindTextTemplate());
    HGLOBAL memory = ::GlobalAlloc(GMEM_FIXED, words.size() * sizeof(WORD));
    if (memory)
        std::memcpy(memory, words.data(), words.size() * sizeof(WORD));
    return memory;
}

}  // namespace

CFindReplaceDialog::CFindReplaceDialog()
{
    m_fr.lpstrFindWhat = m_szFindWhat;
    m_fr.wFindWhatLen = WORD(sizeof m_szFindWhat);
    m_fr.lpstrReplaceWith = m_szReplaceWith;
    m_fr.wReplaceWithLen = WORD(sizeof m_szReplaceWith);
    auto entry = std::make_unique<WideFind>();
    entry->dialog = this;
    g_live.push_back(std::move(entry));
}

CFindReplaceDialog::~CFindReplaceDialog()
{
    // Deleted while its window is still there: the window goes without
    // calling back into this object.
    if (HWND h = m_hWnd) {
        Detach();
        if (::IsWindow(h))
            ::DestroyWindow(h);
    }
    std::erase_if(g_live, [this](const auto& e) { return e->dialog == this; });
}

BOOL CFindReplaceDialog::Create(BOOL bFindDialogOnly, LPCSTR lpszFindWhat, LPCSTR lpszReplaceWith, DWORD dwFlags,
                                CWnd* pParentWnd)
{
    WideFind* e = EntryOf(this);
    if (!bFindDialogOnly || !e || m_hWnd)
        return FALSE;  // only the find dialog is offered
    // comdlg32 needs an owner to notify.
    CWnd* owner = pParentWnd ? pParentWnd : AfxGetMainWnd();
    if (!owner || !::IsWindow(owner->m_hWnd))
        return FALSE;
    m_fr.Flags = dwFlags;
    m_fr.hwndOwner = owner->m_hWnd;
    AfxCopyText(m_szFindWhat, sizeof m_szFindWhat, lpszFindWhat ? lpszFindWhat : "");
    AfxCopyText(m_szReplaceWith, sizeof m_szReplaceWith, lpszReplaceWith ? lpszReplaceWith : "");

    if (!e->dialogTemplate)
        e->dialogTemplate = TemplateMemory();
    if (!e->dialogTemplate)
        return FALSE;
    ::lstrcpynW(e->findWhat, AfxWide(m_szFindWhat).c_str(), kTextSize);
    ::lstrcpynW(e->replaceWith, AfxWide(m_szReplaceWith).c_str(), kTextSize);
    e->fr = FINDREPLACEW{};
    e->fr.lStructSize = sizeof e->fr;
    e->fr.hwndOwner = m_fr.hwndOwner;
    e->fr.hInstance = reinterpret_cast<HINSTANCE>(e->dialogTemplate);
    e->fr.Flags = (dwFlags & ~kInternalFlags) | FR_ENABLETEMPLATEHANDLE;
    e->fr.lpstrFindWhat = e->findWhat;
    e->fr.wFindWhatLen = kTextSize;
    e->fr.lpstrReplaceWith = e->replaceWith;
    e->fr.wReplaceWithLen = kTextSize;
    e->fr.lCustData = reinterpret_cast<LPARAM>(this);
    HWND h = ::FindTextW(&e->fr);
    if (!h) {
        Trace("Find dialog could not be created (error %lu).\n", ::CommDlgExtendedError());
        return FALSE;
    }
    if (!Attach(h)) {
        ::DestroyWindow(h);
        return FALSE;
    }
    ShowWindow(SW_SHOW);
    SetActiveWindow();
    return TRUE;
}

// comdlg32 initialises its dialog itself; this is never reached.
BOOL CFindReplaceDialog::OnInitDialog() { return TRUE; }

// Both go to comdlg32, which reads the fields and tells the owner; on
// cancel it destroys the window, and PostNcDestroy deletes the object.
void CFindReplaceDialog::OnOK() { Default(); }
void CFindReplaceDialog::OnCancel() { Default(); }

void CFindReplaceDialog::PostNcDestroy()
{
    // Ended with its owner rather than by the user, comdlg32 tells nobody:
    // the owner is told here, as after a cancel, so that it lets go of this
    // object before it is deleted.
    WideFind* e = EntryOf(this);
    if (e && e->fr.lStructSize && !(e->fr.Flags & FR_DIALOGTERM) && ::IsWindow(m_fr.hwndOwner)) {
        e->fr.Flags = (e->fr.Flags & ~FR_FINDNEXT) | FR_DIALOGTERM;
        ::SendMessageW(m_fr.hwndOwner, ::RegisterWindowMessageW(FINDMSGSTRINGW), 0, reinterpret_cast<LPARAM>(&e->fr));
    }
    delete this;
}

CFindReplaceDialog* CFindReplaceDialog::GetNotifier(LPARAM lParam)
{
    for (const auto& e : g_live) {
        CFindReplaceDialog* dialog = e->dialog;
        if (lParam == reinterpret_cast<LPARAM>(&e->fr)) {
            // What comdlg32 says, in the narrow fields.
            dialog->m_fr.Flags = e->fr.Flags & ~kInternalFlags;
            AfxCopyText(dialog->m_szFindWhat, sizeof dialog->m_szFindWhat, AfxNarrow(e->findWhat));
            return dialog;
        }
        if (lParam == reinterpret_cast<LPARAM>(&dialog->m_fr))
            return dialog;
    }
    return nullptr;
}

// The accessors read what comdlg32 last wrote, the whole text included.
CString CFindReplaceDialog::GetFindString() const
{
    const WideFind* e = CreatedEntryOf(this);
    return e ? CString(AfxNarrow(e->findWhat).c_str()) : CString(m_fr.lpstrFindWhat);
}

BOOL CFindReplaceDialog::SearchDown() const { return (FlagsOf(this) & FR_DOWN) != 0; }
BOOL CFindReplaceDialog::MatchCase() const { return (FlagsOf(this) & FR_MATCHCASE) != 0; }
BOOL CFindReplaceDialog::FindNext() const { return (FlagsOf(this) & FR_FINDNEXT) != 0; }
BOOL CFindReplaceDialog::IsTerminating() const { return (FlagsOf(this) & FR_DIALOGTERM) != 0; }
