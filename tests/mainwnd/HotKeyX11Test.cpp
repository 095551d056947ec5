// The global hotkey on a real X server: the key is grabbed on the root
// window and a press made with the XTest extension brings the hidden window
// back, also with NumLock on. Runs where DISPLAY names a server (CI runs the
// tests under Xvfb); skipped elsewhere.

#include "MainWndFixture.h"

#include "mainwnd/ReminderApp.h"

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

int g_argc = 0;
char** g_argv = nullptr;
bool g_haveDisplay = false;

// A second X client that types, as another program's user would.
class Typist {
public:
    Typist() : m_c(xcb_connect(nullptr, nullptr)), m_syms(xcb_key_symbols_alloc(m_c)) {}
    ~Typist()
    {
        xcb_key_symbols_free(m_syms);
        xcb_disconnect(m_c);
    }
    Typist(const Typist&) = delete;
    Typist& operator=(const Typist&) = delete;

    void Press(xcb_keysym_t sym) { Fake(XCB_KEY_PRESS, sym); }
    void Release(xcb_keysym_t sym) { Fake(XCB_KEY_RELEASE, sym); }
    void Tap(xcb_keysym_t sym)
    {
        Press(sym);
        Release(sym);
    }

private:
    void Fake(uint8_t type, xcb_keysym_t sym)
    {
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(m_syms, sym);
        ASSERT_NE(codes, nullptr);
        xcb_test_fake_input(m_c, type, codes[0], XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        free(codes);
        xcb_flush(m_c);
        xcb_aux_sync();
    }
    void xcb_aux_sync() { free(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr)); }

    xcb_connection_t* m_c;
    xcb_key_symbols_t* m_syms;
};

// Not Ctrl+Alt+F12: the X server keeps Ctrl+Alt+F-keys for switching consoles.
constexpr xcb_keysym_t kControl = 0xffe3, kShift = 0xffe1, kF12 = 0xffc9, kNumLock = 0xff7f;

// Processes events until the window shows, for at most two seconds.
bool WaitVisible(HWND hWnd)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < end) {
        testhooks::ProcessEvents();
        if (IsWindowVisible(hWnd))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

class AppEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(AfxWinInit(g_argc, g_argv)); }
};

}  // namespace

TEST_F(MainWndTest, GlobalHotKeyBringsTheHiddenWindowBackAlsoWithNumLock)
{
    if (!g_haveDisplay)
        GTEST_SKIP() << "no X server";
    SetSetting("HotKey", VK_F12);
    SetSetting("HotModifier", HOTKEYF_CONTROL | HOTKEYF_SHIFT);
    SetSetting("StartMinimized", 1);
    WriteTlv(Path("f.tlv"), {});
    Create(Path("f.tlv"));
    ASSERT_TRUE(Boxes().empty()) << Boxes()[0].text;  // the grab succeeded
    ASSERT_FALSE(IsWindowVisible(Wnd()));

    Typist typist;
    for (bool numLock : {false, true}) {
        if (numLock)
            typist.Tap(kNumLock);
        typist.Press(kControl);
        typist.Press(kShift);
        typist.Tap(kF12);
        typist.Release(kShift);
        typist.Release(kControl);
        EXPECT_TRUE(WaitVisible(Wnd())) << (numLock ? "with NumLock" : "without NumLock");
        EXPECT_TRUE(testhooks::IsForeground(Wnd()));
        Key(VK_ESCAPE);
        EXPECT_FALSE(IsWindowVisible(Wnd()));
    }
    typist.Tap(kNumLock);
}

namespace {

// Gives a key of the test server's keyboard the keysyms lower and upper, as
// a Swedish keymap gives Ö its key; puts the key back on destruction.
class ExtraKey {
public:
    ExtraKey(xcb_keysym_t lower, xcb_keysym_t upper) : m_c(xcb_connect(nullptr, nullptr))
    {
        const xcb_setup_t* setup = xcb_get_setup(m_c);
        auto* reply = xcb_get_keyboard_mapping_reply(
            m_c, xcb_get_keyboard_mapping(m_c, setup->min_keycode, uint8_t(setup->max_keycode - setup->min_keycode + 1)),
            nullptr);
        if (!reply)
            return;
        m_perCode = reply->keysyms_per_keycode;
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply);
        for (int code = setup->min_keycode; code <= setup->max_keycode && !m_code; ++code) {
            const xcb_keysym_t* row = syms + (code - setup->min_keycode) * m_perCode;
            if (std::all_of(row, row + m_perCode, [](xcb_keysym_t k) { return k == 0; }))
                m_code = xcb_keycode_t(code);
        }
        free(reply);
        Set(lower, upper);
    }
    ~ExtraKey()
    {
        Set(0, 0);
        xcb_disconnect(m_c);
    }
    ExtraKey(const ExtraKey&) = delete;
    ExtraKey& operator=(const ExtraKey&) = delete;
    bool Ok() const { return m_code != 0; }

private:
    void Set(xcb_keysym_t lower, xcb_keysym_t upper)
    {
        if (!m_code)
            return;
        std::vector<xcb_keysym_t> row(m_perCode, 0);
        row[0] = lower;
        if (m_perCode > 1)
            row[1] = upper;
        xcb_change_keyboard_mapping(m_c, 1, m_code, m_perCode, row.data());
        free(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr));
    }

    xcb_connection_t* m_c;
    xcb_keycode_t m_code = 0;
    uint8_t m_perCode = 0;
};

constexpr xcb_keysym_t kAlt = 0xffe9;

}  // namespace

// Every key the hot-key field gives can be grabbed: the punctuation keys of
// a US keyboard, and Ö, Ä and Å once the keyboard has them.
TEST_F(MainWndTest, GlobalHotKeyWorksForPunctuationAndNordicLetters)
{
    if (!g_haveDisplay)
        GTEST_SKIP() << "no X server";
    SetSetting("StartMinimized", 1);
    SetSetting("HotModifier", HOTKEYF_CONTROL | HOTKEYF_ALT);
    WriteTlv(Path("f.tlv"), {});
    auto pressBringsItBack = [&](UINT vk, xcb_keysym_t sym) {
        Typist typist;  // reads the keyboard as it is now
        SetSetting("HotKey", vk);
        Create(Path("f.tlv"));
        ASSERT_TRUE(Boxes().empty()) << "hotkey " << vk << ": " << Boxes()[0].text;
        ASSERT_FALSE(IsWindowVisible(Wnd()));
        typist.Press(kControl);
        typist.Press(kAlt);
        typist.Tap(sym);
        typist.Release(kAlt);
        typist.Release(kControl);
        EXPECT_TRUE(WaitVisible(Wnd())) << "hotkey " << vk;
        Destroy();
    };
    // US keyboard: VK_OEM_2 is the slash key, VK_OEM_7 the apostrophe key.
    pressBringsItBack(VK_OEM_2, '/');
    pressBringsItBack(VK_OEM_7, '\'');
    pressBringsItBack(VK_OEM_PERIOD, '.');

    ExtraKey odiaeresis(0xf6, 0xd6), adiaeresis(0xe4, 0xc4), aring(0xe5, 0xc5);
    ASSERT_TRUE(odiaeresis.Ok() && adiaeresis.Ok() && aring.Ok());
    pressBringsItBack(VK_OEM_3, 0xf6);
    pressBringsItBack(VK_OEM_7, 0xe4);
    pressBringsItBack(VK_OEM_6, 0xe5);
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // The grab needs the X11 platform; without a server the test is skipped.
    const char* display = std::getenv("DISPLAY");
    g_haveDisplay = display && *display;
    setenv("QT_QPA_PLATFORM", g_haveDisplay ? "xcb" : "offscreen", 1);
    CReminderApp app;
    MainWndTest::SetApp(&app);
    g_argc = argc;
    g_argv = argv;
    ::testing::AddGlobalTestEnvironment(new AppEnvironment);
    return RUN_ALL_TESTS();
}
