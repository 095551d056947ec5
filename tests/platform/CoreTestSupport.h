#pragma once
// Shared pieces of the window-layer tests: the resources they use and the
// application object.

#include "platform/Afx.h"

namespace coretest {

constexpr UINT IDD_MAIN = 500;
constexpr UINT IDD_MODAL = 501;
constexpr UINT IDR_MENU = 600;
constexpr UINT IDR_ACCEL = 700;

constexpr UINT IDC_TEXT = 1006;
constexpr UINT IDC_ADD = 1009;
constexpr UINT IDC_REMIND = 1005;
constexpr UINT IDC_NUMBER = 1040;
constexpr UINT IDC_LABEL = 1007;

constexpr UINT IDC_VALUE = 1010;
constexpr UINT IDC_NAME = 1011;
constexpr UINT IDC_COUNT = 1012;

constexpr UINT ID_NEW = 32783;
constexpr UINT ID_EXIT = 32771;
constexpr UINT ID_SAVE = 57603;
constexpr UINT ID_SORT_ALPHA = 32793;
constexpr UINT ID_DESCENDING = 32789;

// Registers the tables and starts the toolkit once.
void EnsureStarted();

extern HWND g_hMainWnd;
extern HACCEL g_hAccel;

}  // namespace coretest
