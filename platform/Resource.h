#pragma once
// The shapes of the program's resources (dialog templates, menus, accelerator
// tables, string table, images) and the one place they are registered.
// res/ fills these tables with plain data; platform/ reads them. Qt-free.

#include "platform/Win32.h"

#include <span>

// One control of a dialog template. Positions are in dialog units, as in a
// Windows .rc file. Class names are the Win32 ones ("Button", "Edit", "Static",
// "SysListView32", "SysDateTimePick32", "msctls_updown32", "msctls_hotkey32").
struct DialogItemTemplate {
    UINT id;  // IDC_STATIC for labels and group boxes
    const char* className;
    const char* text;  // may be empty; for SS_ICON statics "#<icon id>"
    DWORD style;       // WS_*, BS_*, ES_*, SS_*, LVS_*, DTS_*, UDS_* bits
    int x, y, cx, cy;
    DWORD exStyle = 0;
};

struct DialogTemplate {
    UINT id;
    const char* caption;
    DWORD style;  // WS_* and DS_* bits of the dialog itself
    DWORD exStyle;
    UINT menuId;                                // 0 for none
    const char* fontName;                       // "MS Sans Serif"
    int pointSize;                              // 8
    int cx, cy;                                 // size in dialog units
    std::span<const DialogItemTemplate> items;  // in tab order
};

// One menu entry. A popup holds its children; a separator has neither text nor id.
struct MenuItemTemplate {
    const char* text;  // "&Öppna...\tCtrl+O": the part after the tab is the key shown
    UINT id;           // 0 for popups and separators
    UINT flags;        // MF_POPUP, MF_SEPARATOR, MF_CHECKED, MF_GRAYED
    std::span<const MenuItemTemplate> children;
};

struct MenuTemplate {
    UINT id;
    std::span<const MenuItemTemplate> items;  // the top-level entries of the menu bar
};

struct AccelTemplate {
    BYTE fVirt;  // FVIRTKEY | FSHIFT | FCONTROL | FALT
    WORD key;    // virtual-key code
    WORD cmd;
};

struct AccelTableTemplate {
    UINT id;
    std::span<const AccelTemplate> entries;
};

struct StringTemplate {
    UINT id;
    const char* text;  // UTF-8
};

// An icon or bitmap embedded in the program. For an icon, data may hold an SVG
// (drawn at any size) or a PNG; for the list bitmap a PNG strip of 16-pixel images.
struct ImageTemplate {
    UINT id;
    const char* format;  // "svg" or "png"
    std::span<const unsigned char> data;
};

struct ResourceTables {
    std::span<const DialogTemplate> dialogs;
    std::span<const MenuTemplate> menus;
    std::span<const AccelTableTemplate> accelerators;
    std::span<const StringTemplate> strings;
    std::span<const ImageTemplate> icons;
    std::span<const ImageTemplate> bitmaps;
};

// Registers the program's resources; done once before the first window is made.
void AfxSetResourceTables(const ResourceTables* tables);
const ResourceTables* AfxGetResourceTables();

// Look-ups; null when the id is unknown.
const DialogTemplate* AfxFindDialogTemplate(UINT id);
const MenuTemplate* AfxFindMenuTemplate(UINT id);
const AccelTableTemplate* AfxFindAccelTable(UINT id);
const ImageTemplate* AfxFindIcon(UINT id);
const ImageTemplate* AfxFindBitmap(UINT id);
// The string with this id, or null.
const char* AfxFindString(UINT id);
