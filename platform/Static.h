#pragma once
#include "platform/Wnd.h"

// Labels, icons and pictures.
class CStatic : public CWnd {
public:
    HICON SetIcon(HICON hIcon);
    HICON GetIcon() const;
};
