// Windows virtual-key codes, Qt keys and X keysyms in one table, read in
// every direction: keys typed into the program, the hot-key field, and the
// global hotkey's grab.
//
// Windows gives the punctuation keys (VK_OEM_*) by their place on the
// keyboard, and the places differ by layout: on a Swedish keyboard Ö is
// VK_OEM_3, where a US keyboard has ` and ~. Rows for one layout only are
// used when the keyboard has that layout (a Nordic one when any key gives
// å, ä or ö, else US). A shifted character maps to the key it is typed on,
// so its keysym finds that key for the grab.

#include "platform/qt/KeyMap.h"

#include "platform/qt/WndCore.h"

#include <Qt>

namespace {

enum class Layout {
    Any,
    Nordic,
    Us
};

struct KeyRow {
    UINT vk;
    int qt;
    unsigned keysym;
    Layout layout;
};

constexpr Layout A = Layout::Any;
constexpr Layout N = Layout::Nordic;
constexpr Layout U = Layout::Us;

// Within a virtual key, the unshifted character comes first: the grab takes
// the first keysym the keyboard has.
constexpr KeyRow kKeys[] = {
    {VK_BACK, Qt::Key_Backspace, 0xff08, A},
    {VK_TAB, Qt::Key_Tab, 0xff09, A},
    {VK_TAB, Qt::Key_Backtab, 0xfe20, A},
    {VK_RETURN, Qt::Key_Return, 0xff0d, A},
    {VK_RETURN, Qt::Key_Enter, 0xff8d, A},
    {VK_SHIFT, Qt::Key_Shift, 0xffe1, A},
    {VK_CONTROL, Qt::Key_Control, 0xffe3, A},
    {VK_MENU, Qt::Key_Alt, 0xffe9, A},
    {VK_PAUSE, Qt::Key_Pause, 0xff13, A},
    {VK_CAPITAL, Qt::Key_CapsLock, 0xffe5, A},
    {VK_ESCAPE, Qt::Key_Escape, 0xff1b, A},
    {VK_SPACE, Qt::Key_Space, 0x20, A},
    {VK_PRIOR, Qt::Key_PageUp, 0xff55, A},
    {VK_NEXT, Qt::Key_PageDown, 0xff56, A},
    {VK_END, Qt::Key_End, 0xff57, A},
    {VK_HOME, Qt::Key_Home, 0xff50, A},
    {VK_LEFT, Qt::Key_Left, 0xff51, A},
    {VK_UP, Qt::Key_Up, 0xff52, A},
    {VK_RIGHT, Qt::Key_Right, 0xff53, A},
    {VK_DOWN, Qt::Key_Down, 0xff54, A},
    {VK_SNAPSHOT, Qt::Key_Print, 0xff61, A},
    {VK_INSERT, Qt::Key_Insert, 0xff63, A},
    {VK_DELETE, Qt::Key_Delete, 0xffff, A},
    {VK_LWIN, Qt::Key_Meta, 0xffeb, A},
    {VK_LWIN, Qt::Key_Super_L, 0xffeb, A},
    {VK_RWIN, Qt::Key_Super_R, 0xffec, A},
    {VK_APPS, Qt::Key_Menu, 0xff67, A},
    {VK_NUMLOCK, Qt::Key_NumLock, 0xff7f, A},
    {VK_SCROLL, Qt::Key_ScrollLock, 0xff14, A},
    {VK_OEM_COMMA, Qt::Key_Comma, 0x2c, A},
    {VK_OEM_PERIOD, Qt::Key_Period, 0x2e, A},
    {VK_OEM_MINUS, Qt::Key_Minus, 0x2d, A},

    // A Swedish keyboard, as Windows names its keys.
    {VK_OEM_PLUS, Qt::Key_Plus, 0x2b, N},
    {VK_OEM_PLUS, Qt::Key_Question, 0x3f, N},
    {VK_OEM_4, Qt::Key_Dead_Acute, 0xfe51, N},
    {VK_OEM_4, Qt::Key_Dead_Grave, 0xfe50, N},
    {VK_OEM_6, Qt::Key_Aring, 0xe5, N},
    {VK_OEM_1, Qt::Key_Dead_Diaeresis, 0xfe57, N},
    {VK_OEM_1, Qt::Key_Dead_Circumflex, 0xfe52, N},
    {VK_OEM_3, Qt::Key_Odiaeresis, 0xf6, N},
    {VK_OEM_7, Qt::Key_Adiaeresis, 0xe4, N},
    {VK_OEM_2, Qt::Key_Apostrophe, 0x27, N},
    {VK_OEM_2, Qt::Key_Asterisk, 0x2a, N},
    {VK_OEM_5, Qt::Key_section, 0xa7, N},
    {VK_OEM_5, Qt::Key_onehalf, 0xbd, N},
    {VK_OEM_102, Qt::Key_Less, 0x3c, N},
    {VK_OEM_102, Qt::Key_Greater, 0x3e, N},
    {VK_OEM_COMMA, Qt::Key_Semicolon, 0x3b, N},
    {VK_OEM_PERIOD, Qt::Key_Colon, 0x3a, N},
    {VK_OEM_MINUS, Qt::Key_Underscore, 0x5f, N},
    {'1', Qt::Key_Exclam, 0x21, N},
    {'2', Qt::Key_QuoteDbl, 0x22, N},
    {'3', Qt::Key_NumberSign, 0x23, N},
    {'4', Qt::Key_currency, 0xa4, N},
    {'5', Qt::Key_Percent, 0x25, N},
    {'6', Qt::Key_Ampersand, 0x26, N},
    {'7', Qt::Key_Slash, 0x2f, N},
    {'8', Qt::Key_ParenLeft, 0x28, N},
    {'9', Qt::Key_ParenRight, 0x29, N},
    {'0', Qt::Key_Equal, 0x3d, N},

    // A US keyboard.
    {VK_OEM_1, Qt::Key_Semicolon, 0x3b, U},
    {VK_OEM_1, Qt::Key_Colon, 0x3a, U},
    {VK_OEM_PLUS, Qt::Key_Equal, 0x3d, U},
    {VK_OEM_PLUS, Qt::Key_Plus, 0x2b, U},
    {VK_OEM_COMMA, Qt::Key_Less, 0x3c, U},
    {VK_OEM_PERIOD, Qt::Key_Greater, 0x3e, U},
    {VK_OEM_MINUS, Qt::Key_Underscore, 0x5f, U},
    {VK_OEM_2, Qt::Key_Slash, 0x2f, U},
    {VK_OEM_2, Qt::Key_Question, 0x3f, U},
    {VK_OEM_3, Qt::Key_QuoteLeft, 0x60, U},
    {VK_OEM_3, Qt::Key_AsciiTilde, 0x7e, U},
    {VK_OEM_4, Qt::Key_BracketLeft, 0x5b, U},
    {VK_OEM_4, Qt::Key_BraceLeft, 0x7b, U},
    {VK_OEM_5, Qt::Key_Backslash, 0x5c, U},
    {VK_OEM_5, Qt::Key_Bar, 0x7c, U},
    {VK_OEM_6, Qt::Key_BracketRight, 0x5d, U},
    {VK_OEM_6, Qt::Key_BraceRight, 0x7d, U},
    {VK_OEM_7, Qt::Key_Apostrophe, 0x27, U},
    {VK_OEM_7, Qt::Key_QuoteDbl, 0x22, U},
    {'1', Qt::Key_Exclam, 0x21, U},
    {'2', Qt::Key_At, 0x40, U},
    {'3', Qt::Key_NumberSign, 0x23, U},
    {'4', Qt::Key_Dollar, 0x24, U},
    {'5', Qt::Key_Percent, 0x25, U},
    {'6', Qt::Key_AsciiCircum, 0x5e, U},
    {'7', Qt::Key_Ampersand, 0x26, U},
    {'8', Qt::Key_Asterisk, 0x2a, U},
    {'9', Qt::Key_ParenLeft, 0x28, U},
    {'0', Qt::Key_ParenRight, 0x29, U},
};

// The keypad's own keys, told apart by Qt's keypad modifier.
struct KeypadRow {
    UINT vk;
    int qt;
    unsigned keysym;
};
// clang-format off
constexpr KeypadRow kKeypad[] = {
    {VK_MULTIPLY, Qt::Key_Asterisk, 0xffaa}, {VK_ADD, Qt::Key_Plus, 0xffab},
    {VK_SUBTRACT, Qt::Key_Minus, 0xffad},    {VK_DECIMAL, Qt::Key_Period, 0xffae},
    {VK_DECIMAL, Qt::Key_Comma, 0xffac},     {VK_DIVIDE, Qt::Key_Slash, 0xffaf},
};
// clang-format on

bool Applies(Layout layout)
{
    return layout == Layout::Any || (layout == Layout::Nordic) == AfxKeyboardIsNordic();
}

}  // namespace

UINT AfxVirtualKeyFromQtKey(int key, int modifiers)
{
    if (modifiers & Qt::KeypadModifier) {
        if (key >= Qt::Key_0 && key <= Qt::Key_9)
            return VK_NUMPAD0 + UINT(key - Qt::Key_0);
        for (const KeypadRow& k : kKeypad)
            if (k.qt == key)
                return k.vk;
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return UINT('A' + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return UINT('0' + (key - Qt::Key_0));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return VK_F1 + UINT(key - Qt::Key_F1);
    for (const KeyRow& k : kKeys)
        if (k.qt == key && Applies(k.layout))
            return k.vk;
    return 0;
}

int AfxQtKeyFromVirtualKey(UINT vk)
{
    if (vk >= 'A' && vk <= 'Z')
        return Qt::Key_A + int(vk - 'A');
    if (vk >= '0' && vk <= '9')
        return Qt::Key_0 + int(vk - '0');
    if (vk >= VK_F1 && vk <= VK_F24)
        return Qt::Key_F1 + int(vk - VK_F1);
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9)
        return Qt::Key_0 + int(vk - VK_NUMPAD0);
    for (const KeypadRow& k : kKeypad)
        if (k.vk == vk)
            return k.qt;
    for (const KeyRow& k : kKeys)
        if (k.vk == vk && Applies(k.layout))
            return k.qt;
    return 0;
}

std::vector<unsigned> AfxKeysymsFromVirtualKey(UINT vk)
{
    if (vk >= 'A' && vk <= 'Z')
        return {unsigned(vk - 'A' + 'a')};
    if (vk >= '0' && vk <= '9')
        return {unsigned(vk)};
    if (vk >= VK_F1 && vk <= VK_F24)
        return {0xffbeu + (vk - VK_F1)};
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9)
        return {0xffb0u + (vk - VK_NUMPAD0)};
    std::vector<unsigned> out;
    for (const KeypadRow& k : kKeypad)
        if (k.vk == vk)
            out.push_back(k.keysym);
    for (const KeyRow& k : kKeys)
        if (k.vk == vk && Applies(k.layout))
            out.push_back(k.keysym);
    return out;
}
