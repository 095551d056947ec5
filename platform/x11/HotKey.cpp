// Global hotkeys as X11 key grabs on the root window. The grab is taken with
// every NumLock/CapsLock combination, because X11 matches modifiers exactly
// and a hotkey must not stop working when NumLock is on.

#include "platform/HotKey.h"
#include "platform/qt/Internal.h"
#include "platform/qt/KeyMap.h"
#include "platform/qt/QtHandles.h"
#include "platform/qt/Seams.h"
#include "platform/Wnd.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdlib>
#include <vector>

namespace {

struct HotKey {
    HWND hWnd = nullptr;
    int id = 0;
    UINT modifiers = 0;
    UINT vk = 0;
    xcb_keycode_t keycode = 0;
    uint16_t mask = 0;
};

std::vector<HotKey> g_hotKeys;

xcb_connection_t* Connection()
{
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t RootWindow(xcb_connection_t* c)
{
    const xcb_setup_t* setup = xcb_get_setup(c);
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
    return it.rem ? it.data->root : 0;
}

// The keyboard's keycode for a virtual key: the first of its keysyms that
// some key types. 0 when none does.
xcb_keycode_t KeycodeFromVk(xcb_connection_t* c, UINT vk)
{
    xcb_key_symbols_t* syms = xcb_key_symbols_alloc(c);
    if (!syms)
        return 0;
    xcb_keycode_t code = 0;
    for (unsigned sym : AfxKeysymsFromVirtualKey(vk)) {
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(syms, sym);
        code = codes ? codes[0] : 0;
        std::free(codes);
        if (code)
            break;
    }
    xcb_key_symbols_free(syms);
    return code;
}

uint16_t MaskFromMod(UINT mod)
{
    uint16_t m = 0;
    if (mod & MOD_ALT) m |= XCB_MOD_MASK_1;
    if (mod & MOD_CONTROL) m |= XCB_MOD_MASK_CONTROL;
    if (mod & MOD_SHIFT) m |= XCB_MOD_MASK_SHIFT;
    if (mod & MOD_WIN) m |= XCB_MOD_MASK_4;
    return m;
}

// NumLock (Mod2) and CapsLock (Lock) in every combination.
constexpr uint16_t kLockMasks[] = {0, XCB_MOD_MASK_2, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2 | XCB_MOD_MASK_LOCK};

void Ungrab(xcb_connection_t* c, const HotKey& k)
{
    xcb_window_t root = RootWindow(c);
    for (uint16_t lock : kLockMasks)
        xcb_ungrab_key(c, k.keycode, root, uint16_t(k.mask | lock));
    xcb_flush(c);
}

class HotKeyFilter : public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (type != "xcb_generic_event_t")
            return false;
        auto* ev = static_cast<xcb_generic_event_t*>(message);
        if ((ev->response_type & 0x7f) != XCB_KEY_PRESS)
            return false;
        auto* key = reinterpret_cast<xcb_key_press_event_t*>(ev);
        const uint16_t state = key->state & ~uint16_t(XCB_MOD_MASK_2 | XCB_MOD_MASK_LOCK);
        for (const HotKey& k : g_hotKeys) {
            if (k.keycode == key->detail && k.mask == state) {
                ::PostMessage(k.hWnd, WM_HOTKEY, WPARAM(k.id), MAKELONG(WORD(k.modifiers), WORD(k.vk)));
                return true;
            }
        }
        return false;
    }
};

void InstallFilter()
{
    static HotKeyFilter* filter = nullptr;
    if (!filter) {
        filter = new HotKeyFilter;
        qApp->installNativeEventFilter(filter);
    }
}

}  // namespace

BOOL RegisterHotKey(HWND hWnd, int id, UINT fsModifiers, UINT vk)
{
    xcb_connection_t* c = Connection();
    if (!c || !hWnd)
        return FALSE;
    for (const HotKey& k : g_hotKeys)
        if (k.hWnd == hWnd && k.id == id)
            return FALSE;  // as Win32: the id is taken
    const xcb_keycode_t code = KeycodeFromVk(c, vk);
    if (!code)
        return FALSE;

    HotKey k{hWnd, id, fsModifiers, vk, code, MaskFromMod(fsModifiers)};
    xcb_window_t root = RootWindow(c);
    bool ok = true;
    for (uint16_t lock : kLockMasks) {
        xcb_void_cookie_t cookie = xcb_grab_key_checked(c, 1, root, uint16_t(k.mask | lock), code,
                                                        XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        if (xcb_generic_error_t* err = xcb_request_check(c, cookie)) {
            std::free(err);  // BadAccess: another program holds the key
            ok = false;
        }
    }
    if (!ok) {
        Ungrab(c, k);
        return FALSE;
    }
    InstallFilter();
    g_hotKeys.push_back(k);
    return TRUE;
}

BOOL UnregisterHotKey(HWND hWnd, int id)
{
    for (auto it = g_hotKeys.begin(); it != g_hotKeys.end(); ++it) {
        if (it->hWnd == hWnd && it->id == id) {
            if (xcb_connection_t* c = Connection())
                Ungrab(c, *it);
            g_hotKeys.erase(it);
            return TRUE;
        }
    }
    return FALSE;
}

bool AfxKeyboardIsNordic()
{
    // Asked afresh each time (a layout may be switched at any time); only
    // punctuation keys ask, so it costs nothing for ordinary typing.
    xcb_connection_t* c = Connection();
    if (!c)
        return true;
    xcb_key_symbols_t* syms = xcb_key_symbols_alloc(c);
    if (!syms)
        return true;
    bool nordic = false;
    for (xcb_keysym_t sym : {0xe5u, 0xe4u, 0xf6u}) {  // å, ä, ö
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(syms, sym);
        nordic = codes && codes[0];
        std::free(codes);
        if (nordic)
            break;
    }
    xcb_key_symbols_free(syms);
    return nordic;
}

void AfxReleaseWindowHotKeys(HWND hWnd)
{
    std::vector<int> ids;
    for (const HotKey& k : g_hotKeys)
        if (k.hWnd == hWnd)
            ids.push_back(k.id);
    for (int id : ids)
        UnregisterHotKey(hWnd, id);
}

std::vector<AfxHotKeyRecord> AfxRegisteredHotKeys()
{
    std::vector<AfxHotKeyRecord> out;
    for (const HotKey& k : g_hotKeys)
        out.push_back(AfxHotKeyRecord{k.hWnd, k.id, k.modifiers, k.vk});
    return out;
}
