#pragma once
#include "platform/Wnd.h"

// Labels, icons and pictures.
class CStatic : public CWnd {
public:
    // The text colour (what a parent's WM_CTLCOLOR answer sets on Windows).
    void SetTextColor(COLORREF color);
    // The size of text in the control's current font, in pixels.
    CSize GetTextExtent(LPCSTR text) const;
};
