#pragma once
#include "platform/Wnd.h"

// Push buttons, check boxes, radio buttons and group boxes.
class CButton : public CWnd {
public:
};

#ifndef _WIN32
constexpr int BST_UNCHECKED = 0;
constexpr int BST_CHECKED = 1;
constexpr int BST_INDETERMINATE = 2;

constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;
constexpr UINT BM_SETSTYLE = 0x00F4;
constexpr UINT BM_CLICK = 0x00F5;
#endif
