#pragma once
#include "platform/Wnd.h"

// Up-down control; with UDS_SETBUDDYINT it writes its position into the buddy edit.
class CSpinButtonCtrl : public CWnd {
public:
    void SetRange32(int nLower, int nUpper);
    void GetRange32(int& nLower, int& nUpper) const;
    int SetPos32(int nPos);
    int GetPos32(BOOL* pbError = nullptr) const;
    CWnd* GetBuddy() const;
};
