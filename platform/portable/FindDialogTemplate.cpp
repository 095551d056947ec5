// The find dialog's template, the same on every platform.

#include "platform/portable/FindDialogTemplate.h"

namespace {

constexpr DWORD kTab = WS_CHILD | WS_VISIBLE | WS_TABSTOP;

const DialogItemTemplate kItems[] = {
    {IDC_STATIC, "Static", "S\xC3\xB6&k efter:", WS_CHILD | WS_VISIBLE | SS_LEFT, 6, 9, 40, 8},
    {kFindIdText, "Edit", "", kTab | WS_BORDER | ES_AUTOHSCROLL, 48, 7, 128, 13},
    {kFindIdWholeWord, "Button", "Matcha endast &hela ord", kTab | BS_AUTOCHECKBOX, 6, 28, 96, 10},
    {kFindIdMatchCase, "Button", "Matcha &gemener/VERSALER", kTab | BS_AUTOCHECKBOX, 6, 42, 100, 10},
    {kFindIdDirection, "Button", "Riktning", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 108, 25, 68, 30},
    {kFindIdUp, "Button", "&Upp", kTab | BS_AUTORADIOBUTTON, 113, 38, 28, 10},
    {kFindIdDown, "Button", "&Ned", kTab | BS_AUTORADIOBUTTON, 143, 38, 28, 10},
    {IDOK, "Button", "&S\xC3\xB6k n\xC3\xA4sta", kTab | BS_DEFPUSHBUTTON, 184, 6, 52, 14},
    {IDCANCEL, "Button", "Avbryt", kTab | BS_PUSHBUTTON, 184, 24, 52, 14},
};

const DialogTemplate kFindTemplate = {
    0, "S\xC3\xB6k", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, "MS Sans Serif", 8, 242, 62, kItems};

}  // namespace

const DialogTemplate& AfxFindTextTemplate() { return kFindTemplate; }
