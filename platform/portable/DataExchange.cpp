// Dialog data exchange and validation that is the same on every platform:
// the Swedish prompts, the rules for numbers and the exchanges that go
// through the CWnd calls only.

#include "platform/DataExchange.h"

#include "platform/DateTimeCtrl.h"
#include "platform/Trace.h"
#include "platform/WinApp.h"
#include "platform/portable/DataExchange.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

constexpr const char* kPromptInt = "Ange ett heltal.";
constexpr const char* kPromptIntRange = "Ange ett heltal mellan %d och %d.";
constexpr const char* kPromptLongRange = "Ange ett heltal mellan %ld och %ld.";
constexpr const char* kPromptMaxChars = "Ange h\xC3\xB6gst %d tecken.";

// A whole number with optional blanks around it, as MFC's scanner takes it;
// values outside [minVal, maxVal] are no number at all.
bool ParseInteger(const char* text, long long minVal, long long maxVal, long long& out)
{
    const char* p = text;
    while (*p && std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    if (!*p)
        return false;
    if (minVal >= 0 && *p == '-')
        return false;
    errno = 0;
    char* end = nullptr;
    long long v = std::strtoll(p, &end, 10);
    if (end == p || errno == ERANGE)
        return false;
    while (*end && std::isspace(static_cast<unsigned char>(*end)))
        ++end;
    if (*end)
        return false;
    if (v < minVal || v > maxVal)
        return false;
    out = v;
    return true;
}

void ExchangeInteger(CDataExchange* pDX, int nIDC, long long& value, long long minVal, long long maxVal,
                     bool isUnsigned)
{
    HWND h = pDX->PrepareEditCtrl(nIDC);
    if (!h)
        return;
    CWnd* ctl = CWnd::FromHandle(h);
    if (pDX->m_bSaveAndValidate) {
        CString text;
        ctl->GetWindowText(text);
        long long v = 0;
        if (!ParseInteger(static_cast<LPCSTR>(text), minVal, maxVal, v)) {
            AfxMessageBox(kPromptInt, MB_ICONEXCLAMATION);
            pDX->Fail();
        }
        value = v;
    } else {
        char buffer[32];
        if (isUnsigned)
            std::snprintf(buffer, sizeof buffer, "%llu", static_cast<unsigned long long>(value));
        else
            std::snprintf(buffer, sizeof buffer, "%lld", value);
        ctl->SetWindowText(buffer);
    }
}

constexpr long long kIntMin = std::numeric_limits<std::int32_t>::min();
constexpr long long kIntMax = std::numeric_limits<std::int32_t>::max();
constexpr long long kUIntMax = std::numeric_limits<std::uint32_t>::max();

}  // namespace

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd)
{
}

HWND CDataExchange::PrepareCtrl(int nIDC)
{
    HWND h = m_pDlgWnd ? ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC) : nullptr;
    if (!h) {
        Trace("Data exchange: no control %d.\n", nIDC);
        return nullptr;
    }
    m_hWndLastControl = h;
    m_bEditLastControl = FALSE;
    return h;
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (rControl.m_hWnd)
        return;
    HWND h = pDX->PrepareCtrl(nIDC);
    if (h && !rControl.SubclassWindow(h))
        Trace("DDX_Control: control %d is already attached.\n", nIDC);
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value)
{
    HWND h = pDX->PrepareEditCtrl(nIDC);
    if (!h)
        return;
    CWnd* ctl = CWnd::FromHandle(h);
    if (pDX->m_bSaveAndValidate)
        ctl->GetWindowText(value);
    else
        ctl->SetWindowText(static_cast<LPCSTR>(value));
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value)
{
    long long v = value;
    ExchangeInteger(pDX, nIDC, v, kIntMin, kIntMax, false);
    value = int(v);
}

// long is 32 bits wide on Windows: the same range as int.
void DDX_Text(CDataExchange* pDX, int nIDC, long& value)
{
    long long v = value;
    ExchangeInteger(pDX, nIDC, v, kIntMin, kIntMax, false);
    value = long(v);
}

void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value)
{
    long long v = value;
    ExchangeInteger(pDX, nIDC, v, 0, kUIntMax, true);
    value = UINT(v);
}

// Where DWORD is UINT the UINT overload serves both; where it is a type of
// its own (unsigned long on Windows) the platform adds that overload.

void DDX_DateTimeCtrl(CDataExchange* pDX, int nIDC, CTime& value)
{
    HWND h = pDX->PrepareCtrl(nIDC);
    if (!h)
        return;
    auto* attached = dynamic_cast<CDateTimeCtrl*>(CWnd::FromHandlePermanent(h));
    CDateTimeCtrl temporary;
    CDateTimeCtrl* ctl = attached;
    if (!ctl) {
        temporary.m_hWnd = h;  // borrowed for the call, never attached
        ctl = &temporary;
    }
    if (pDX->m_bSaveAndValidate)
        ctl->GetTime(value);
    else
        ctl->SetTime(value);
    temporary.m_hWnd = nullptr;
}

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars)
{
    if (!pDX->m_bSaveAndValidate) {
        // The edit takes no more than that.
        if (pDX->m_hWndLastControl && pDX->m_bEditLastControl)
            AfxLimitEditText(pDX->m_hWndLastControl, std::max(1, nChars));
        return;
    }
    // A byte limit: the text ends up in fixed-size buffers.
    if (value.GetLength() > nChars) {
        char prompt[128];
        std::snprintf(prompt, sizeof prompt, kPromptMaxChars, nChars);
        AfxMessageBox(prompt, MB_ICONEXCLAMATION);
        pDX->Fail();
    }
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal)
{
    if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal))
        return;
    char prompt[128];
    std::snprintf(prompt, sizeof prompt, kPromptIntRange, minVal, maxVal);
    AfxMessageBox(prompt, MB_ICONEXCLAMATION);
    pDX->Fail();
}

void DDV_MinMaxLong(CDataExchange* pDX, long value, long minVal, long maxVal)
{
    if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal))
        return;
    char prompt[128];
    std::snprintf(prompt, sizeof prompt, kPromptLongRange, minVal, maxVal);
    AfxMessageBox(prompt, MB_ICONEXCLAMATION);
    pDX->Fail();
}
