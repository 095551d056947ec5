// What the desktop may do to the program: take the tray away, put the
// machine to sleep, set the clock.

#include "MainWndFixture.h"

TEST_F(MainWndTest, WithoutATrayTheWindowIconifiesInsteadOfHiding)
{
    testhooks::SetTrayAvailable(0);
    const std::string f = Path("f.tlv");
    SetSetting("StartMinimized", 1);
    WriteTlv(f, {{"senare", kNow + 3600, true, 3600, true}});
    Create(f);
    // Nothing due: it starts iconified, never lost.
    EXPECT_TRUE(IsWindowVisible(Wnd()));
    EXPECT_TRUE(m_pDlg->IsIconic());

    ShowWindow(Wnd(), SW_RESTORE);
    testhooks::ProcessEvents();
    ASSERT_FALSE(m_pDlg->IsIconic());
    SetNow(kNow + 3600);
    Key(VK_ESCAPE);
    EXPECT_TRUE(IsWindowVisible(Wnd()));
    EXPECT_TRUE(m_pDlg->IsIconic());
    // The push on minimise still ran.
    EXPECT_EQ(std::to_string(m_pDlg->m_data.m_reminderList.GetAt(0).m_nTime), Stored(kNow + 7200));

    // The alarm brings the iconified window back with the due row selected,
    // and so does the hotkey.
    SetNow(kNow + 7200);
#ifdef _WIN32
    // Windows gives an iconified window's keys as system keys, which no
    // accelerator takes: the alarm timer it is.
    ASSERT_TRUE(testhooks::FireTimer(Wnd(), 1));
    testhooks::ProcessEvents();
#else
    Key(VK_F5);
#endif
    EXPECT_FALSE(m_pDlg->IsIconic());
    EXPECT_TRUE(testhooks::IsForeground(Wnd()));
    EXPECT_EQ(Selected(), std::vector<int>{0});
    Key(VK_ESCAPE);  // pushes it an hour on again
    ASSERT_TRUE(m_pDlg->IsIconic());
    m_pDlg->OnHotKey(1, 0);
    testhooks::ProcessEvents();
    EXPECT_FALSE(m_pDlg->IsIconic());
    EXPECT_TRUE(testhooks::IsForeground(Wnd()));

    // A tray that shows up later is used from then on.
    testhooks::SetTrayAvailable(1);
    ShowWindow(Wnd(), SW_RESTORE);
    testhooks::ProcessEvents();
    Key(VK_ESCAPE);
    EXPECT_FALSE(IsWindowVisible(Wnd()));
}

TEST_F(MainWndTest, AnAlarmDueDuringSuspendRingsOnWakingAndAClockChangeChecksAtOnce)
{
    const std::string f = Path("f.tlv");
    SetSetting("StartMinimized", 1);
    WriteTlv(f, {{"under natten", kNow + 3600}});
    Create(f);
    UINT period = 0;
    ASSERT_TRUE(Armed(1, &period));
    EXPECT_EQ(period, 3600000u);

    // Two hours asleep: the deadline passed while suspended.
    SetNow(kNow + 7200);
    testhooks::SimulateSuspend(7200ull * 1000);
    testhooks::ProcessEvents();
    EXPECT_EQ(testhooks::SoundsPlayed().size(), 1u);
    EXPECT_TRUE(IsWindowVisible(Wnd()));
    EXPECT_EQ(Selected(), std::vector<int>{0});
    Destroy();

    // Setting the clock forward past a due time raises it at once.
    testhooks::ClearSounds();
    SetNow(kNow);
    WriteTlv(f, {{"i morgon", kNow + 86400}});
    Create(f);
    ASSERT_TRUE(Armed(1, &period));
    EXPECT_EQ(period, 86400000u);
    SetNow(kNow + 86400);
    testhooks::SimulateClockChange();
    testhooks::ProcessEvents();
    EXPECT_EQ(testhooks::SoundsPlayed().size(), 1u);
    EXPECT_EQ(testhooks::Tray().iconId, 139u);
}

TEST_F(MainWndTest, HelpMenuOpensTheReadMeOrSaysItCannotAndShowsTheAboutBox)
{
    const std::string f = Path("f.tlv");
    WriteTlv(f, {});
    Create(f);
    // The test program's folder has no ReadMe.txt.
    Key(VK_F1);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, AfxFindString(60303));
    EXPECT_EQ(Boxes()[0].caption, "Talvo");
    EXPECT_EQ(Boxes()[0].type & MB_ICONMASK, UINT(MB_ICONEXCLAMATION));

    static std::string caption;
    caption.clear();
    testhooks::QueueModalDialogAction([](HWND hDlg, void*) {
        caption = testhooks::WindowText(hDlg);
        testhooks::SendKey(hDlg, VK_ESCAPE);  // Esc closes it like its OK button
    });
    Cmd(32773);
    EXPECT_EQ(caption, "Om Talvo");
    EXPECT_TRUE(IsWindowEnabled(Wnd()));
    // The system menu has the same entry.
    caption.clear();
    testhooks::QueueModalDialogAction([](HWND hDlg, void*) {
        caption = testhooks::WindowText(hDlg);
        testhooks::ClickButton(::GetDlgItem(hDlg, IDCANCEL));
    });
    EXPECT_TRUE(testhooks::ClickSystemMenuItem(Wnd(), 0x0010));
    testhooks::ProcessEvents();
    EXPECT_EQ(caption, "Om Talvo");
}
