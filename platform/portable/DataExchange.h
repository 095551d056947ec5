#pragma once
// Inside platform/ only: what the shared dialog data exchange
// (portable/DataExchange.cpp) needs of a platform. The platform itself
// defines CDataExchange::PrepareEditCtrl, CDataExchange::Fail and DDX_Check,
// which depend on what its controls are.

#include "platform/Win32.h"

// Thrown by CDataExchange::Fail and caught by CWnd::UpdateData.
struct CDataExchangeFailure {};

// Makes the edit hEdit take no more than nChars characters (nChars >= 1).
void AfxLimitEditText(HWND hEdit, int nChars);
