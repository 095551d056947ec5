#pragma once
// Inside platform/ only: the find dialog's template, in Swedish, with the
// control ids of the Win32 find dialog (so that comdlg32 can run it too).

#include "platform/Resource.h"

inline constexpr UINT kFindIdText = 1152;       // edt1
inline constexpr UINT kFindIdWholeWord = 1040;  // chx1
inline constexpr UINT kFindIdMatchCase = 1041;  // chx2
inline constexpr UINT kFindIdUp = 1056;         // rad1
inline constexpr UINT kFindIdDown = 1057;       // rad2
inline constexpr UINT kFindIdDirection = 1072;  // grp1

const DialogTemplate& AfxFindTextTemplate();
