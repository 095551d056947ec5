#include "CoreTestSupport.h"

#include <gtest/gtest.h>

namespace coretest {

HWND g_hMainWnd = nullptr;
HACCEL g_hAccel = nullptr;

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

const DialogItemTemplate kMainItems[] = {
    {IDC_LABEL, "Static", "&Meddelande:", kChild | SS_LEFT, 7, 9, 46, 8},
    {IDC_TEXT, "Edit", "", kChild | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 56, 7, 120, 14},
    {IDC_REMIND, "Button", "&P\xC3\xA5minn om meddelandet", kChild | WS_TABSTOP | BS_AUTOCHECKBOX, 7, 26, 100, 10},
    {IDC_NUMBER, "Edit", "", kChild | WS_TABSTOP | WS_BORDER | ES_NUMBER, 7, 42, 40, 14},
    {IDC_STATIC, "Button", "Nytt/Redigera meddelande", kChild | BS_GROUPBOX, 2, 60, 190, 36},
    {IDC_ADD, "Button", "&L\xC3\xA4gg till", kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 130, 75, 50, 14},
};

const DialogItemTemplate kModalItems[] = {
    {IDC_VALUE, "Edit", "", kChild | WS_TABSTOP | WS_BORDER, 7, 7, 60, 14},
    {IDC_NAME, "Edit", "", kChild | WS_TABSTOP | WS_BORDER, 7, 25, 100, 14},
    {IDC_COUNT, "Edit", "", kChild | WS_TABSTOP | WS_BORDER, 7, 43, 60, 14},
    {IDOK, "Button", "OK", kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 60, 65, 50, 14},
    {IDCANCEL, "Button", "Avbryt", kChild | WS_TABSTOP | BS_PUSHBUTTON, 115, 65, 50, 14},
};

const DialogTemplate kDialogs[] = {
    {IDD_MAIN, "Talvo", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, WS_EX_APPWINDOW, IDR_MENU,
     "MS Sans Serif", 8, 200, 100, kMainItems},
    {IDD_MODAL, "Inst\xC3\xA4llningar", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, 0, "MS Sans Serif", 8,
     172, 86, kModalItems},
};

const MenuItemTemplate kSortItems[] = {
    {"&Fallande", ID_DESCENDING, MF_CHECKED, {}},
};
const MenuItemTemplate kFileItems[] = {
    {"&Nytt meddelande\tF2", ID_NEW, 0, {}},
    {nullptr, 0, MF_SEPARATOR, {}},
    {"&Spara\tCtrl+S", ID_SAVE, 0, {}},
    {"&Avsluta", ID_EXIT, 0, {}},
};
const MenuItemTemplate kEditItems[] = {
    {"Sortera i &bokstavsordning\tShift+F4", ID_SORT_ALPHA, 0, {}},
    {"Sorteringsinst\xC3\xA4llnin&gar", 0, MF_POPUP, kSortItems},
};
const MenuItemTemplate kBar[] = {
    {"&Arkiv", 0, MF_POPUP, kFileItems},
    {"&Redigera", 0, MF_POPUP, kEditItems},
};
const MenuTemplate kMenus[] = {{IDR_MENU, kBar}};

const AccelTemplate kAccel[] = {
    {FVIRTKEY, WORD(VK_F2), WORD(ID_NEW)},
    {FVIRTKEY | FCONTROL, WORD('S'), WORD(ID_SAVE)},
    {FVIRTKEY | FSHIFT, WORD(VK_F4), WORD(ID_SORT_ALPHA)},
};
const AccelTableTemplate kAccels[] = {{IDR_ACCEL, kAccel}};

const StringTemplate kStrings[] = {
    {AFX_IDS_APP_TITLE, "Talvo"},
    {101, "&Om Talvo..."},
};

const ResourceTables kTables = {kDialogs, kMenus, kAccels, kStrings, {}, {}};

// Translates the accelerators for the main window as the program's filter does.
class CTestApp : public CWinApp {
public:
    BOOL ProcessMessageFilter(int code, LPMSG lpMsg) override
    {
        if (code >= 0 && g_hMainWnd && g_hAccel && TranslateAcceleratorA(g_hMainWnd, g_hAccel, lpMsg))
            return TRUE;
        return CWinApp::ProcessMessageFilter(code, lpMsg);
    }
};

CTestApp g_app;

}  // namespace

void EnsureStarted()
{
    static bool started = false;
    if (started)
        return;
    started = true;
    AfxSetResourceTables(&kTables);
    static char arg0[] = "test_platform_core";
    static char* argv[] = {arg0, nullptr};
    ASSERT_TRUE(AfxWinInit(1, argv));
    g_hAccel = LoadAcceleratorsA(AfxGetInstanceHandle(), MAKEINTRESOURCE(IDR_ACCEL));
}

}  // namespace coretest
