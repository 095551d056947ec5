// CStatic: a label's own text colour and the size of a text in its font.
// The colour is the parent's answer to WM_CTLCOLORSTATIC on Windows; the
// platform gives that answer itself, so that the program only names the
// colour (as the label's palette does on Linux). The label carries the
// colour in a window property, which a subclass of its own removes with the
// label; the parent gets a subclass that looks the colour up when it answers.
// (GetWindowSubclass would do, but comctl32 exports it by ordinal only.)

#include "platform/Static.h"

#include "platform/win32/Internal.h"

namespace {

constexpr UINT_PTR kSubclassId = 0;
constexpr wchar_t kColourProp[] = L"Talvo.TextColour";

// The colour is kept plus one, so that black is not "none".
bool TextColourOf(HWND hWnd, COLORREF* colour)
{
    const auto value = reinterpret_cast<UINT_PTR>(::GetPropW(hWnd, kColourProp));
    if (value == 0)
        return false;
    *colour = COLORREF(value - 1);
    return true;
}

LRESULT CALLBACK ColouredStaticProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR)
{
    if (message == WM_NCDESTROY) {
        ::RemovePropW(hWnd, kColourProp);
        ::RemoveWindowSubclass(hWnd, ColouredStaticProc, id);
    }
    return ::DefSubclassProc(hWnd, message, wParam, lParam);
}

// After the parent's own answer (its brush and background), the text colour
// of a coloured label.
LRESULT CALLBACK ColourParentProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR)
{
    if (message == WM_NCDESTROY)
        ::RemoveWindowSubclass(hWnd, ColourParentProc, id);
    const LRESULT result = ::DefSubclassProc(hWnd, message, wParam, lParam);
    COLORREF colour = 0;
    if (message == WM_CTLCOLORSTATIC && TextColourOf(reinterpret_cast<HWND>(lParam), &colour))
        ::SetTextColor(reinterpret_cast<HDC>(wParam), colour);
    return result;
}

}  // namespace

void CStatic::SetTextColor(COLORREF color)
{
    HWND parent = ::GetParent(m_hWnd);
    if (!parent)
        return;
    COLORREF old = 0;
    if (TextColourOf(m_hWnd, &old) && old == color)
        return;
    ::SetWindowSubclass(parent, ColourParentProc, kSubclassId, 0);
    ::SetWindowSubclass(m_hWnd, ColouredStaticProc, kSubclassId, 0);
    ::SetPropW(m_hWnd, kColourProp, reinterpret_cast<HANDLE>(UINT_PTR(color) + 1));
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

CSize CStatic::GetTextExtent(LPCSTR text) const
{
    HDC dc = ::GetDC(m_hWnd);
    if (!dc)
        return CSize(0, 0);
    auto font = reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
    HGDIOBJ previous = font ? ::SelectObject(dc, font) : nullptr;
    const std::wstring wide = AfxWide(text ? text : "");
    SIZE size{};
    ::GetTextExtentPoint32W(dc, wide.c_str(), int(wide.size()), &size);
    if (previous)
        ::SelectObject(dc, previous);
    ::ReleaseDC(m_hWnd, dc);
    return CSize(size.cx, size.cy);
}
