// The data exchange's calls on Win32 controls: which controls are edits,
// where the focus goes after a failed exchange, check boxes, edit limits and
// the DWORD overload. The rest is shared (platform/portable/DataExchange.cpp).

#include "platform/DataExchange.h"

#include "platform/portable/DataExchange.h"
#include "platform/win32/Internal.h"

namespace {

bool HasClass(HWND h, const wchar_t* className)
{
    wchar_t name[32] = {};
    return ::GetClassNameW(h, name, int(std::size(name))) > 0 && ::lstrcmpiW(name, className) == 0;
}

}  // namespace

HWND CDataExchange::PrepareEditCtrl(int nIDC)
{
    HWND h = PrepareCtrl(nIDC);
    if (h)
        m_bEditLastControl = HasClass(h, L"Edit");
    return h;
}

void CDataExchange::Fail()
{
    // The field that failed gets the focus, an edit with its text selected.
    if (m_bSaveAndValidate && m_hWndLastControl && ::IsWindow(m_hWndLastControl)) {
        ::SetFocus(m_hWndLastControl);
        if (m_bEditLastControl)
            ::SendMessageW(m_hWndLastControl, EM_SETSEL, 0, -1);
    }
    throw CDataExchangeFailure{};
}

void AfxLimitEditText(HWND hEdit, int nChars) { ::SendMessageW(hEdit, EM_LIMITTEXT, WPARAM(nChars), 0); }

// DWORD is unsigned long here, not UINT: the same range, its own overload.
void DDX_Text(CDataExchange* pDX, int nIDC, DWORD& value)
{
    UINT v = UINT(value);
    DDX_Text(pDX, nIDC, v);
    value = v;
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value)
{
    HWND h = pDX->PrepareCtrl(nIDC);
    if (!h || !HasClass(h, L"Button"))
        return;
    const UINT style = UINT(::GetWindowLongPtrW(h, GWL_STYLE));
    const UINT type = style & BS_TYPEMASK;
    const bool checkBox = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE;
    if (pDX->m_bSaveAndValidate) {
        const LRESULT state = ::SendMessageW(h, BM_GETCHECK, 0, 0);
        value = checkBox && state == BST_INDETERMINATE ? 2 : state == BST_CHECKED ? 1
                                                                                  : 0;
    } else if (checkBox && value == 2) {
        // Only a three-state box shows the third state.
        if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX) {
            const UINT threeState = type == BS_CHECKBOX ? BS_3STATE : BS_AUTO3STATE;
            ::SendMessageW(h, BM_SETSTYLE, (style & 0xFFFF & ~UINT(BS_TYPEMASK)) | threeState, FALSE);
        }
        ::SendMessageW(h, BM_SETCHECK, BST_INDETERMINATE, 0);
    } else {
        ::SendMessageW(h, BM_SETCHECK, value != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}
