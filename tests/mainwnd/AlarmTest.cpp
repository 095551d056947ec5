// Alarm timer, tray icon, blinking, push forward, hiding and autosave.

#include "MainWndFixture.h"

#include <set>

TEST_F(MainWndTest, AlarmTimerIsArmedForTheNextDueTimeOrTheRepeat)
{
    const std::string f = Path("f.tlv");
    UINT period = 0;
    WriteTlv(f, {{"snart", kNow + 10}});
    Create(f);
    ASSERT_TRUE(Armed(1, &period));
    EXPECT_EQ(period, 10000u);
    EXPECT_FALSE(Armed(2));
    SetNow(kNow + 10);
    ASSERT_TRUE(testhooks::FireTimer(Wnd(), 1));
    testhooks::ProcessEvents();
    EXPECT_EQ(testhooks::SoundsPlayed().size(), 1u);
    ASSERT_TRUE(Armed(1, &period));
    EXPECT_EQ(period, 120000u);  // RemindTime default
    Destroy();

    // Beyond 49.7 days the period would overflow: 300 s steps instead.
    SetNow(kNow);
    WriteTlv(f, {{"om två månader", kNow + 60 * 86400}});
    Create(f);
    ASSERT_TRUE(Armed(1, &period));
    EXPECT_EQ(period, 300000u);
    SetNow(kNow + 300);
    testhooks::ClearSounds();
    ASSERT_TRUE(testhooks::FireTimer(Wnd(), 1));
    testhooks::ProcessEvents();
    EXPECT_TRUE(testhooks::SoundsPlayed().empty());
    EXPECT_EQ(testhooks::Tray().iconId, 138u);
    ASSERT_TRUE(Armed(1, &period));
    EXPECT_EQ(period, 300000u);
    Destroy();

    SetSetting("RemindTime", 45);
    WriteTlv(f, {{"nu", kNow}, {"om en timme", kNow + 3600}});
    Create(f);
    ASSERT_TRUE(Armed(1, &period));
    EXPECT_EQ(period, 45000u);
}

TEST_F(MainWndTest, AlarmOnAHiddenWindowRaisesEverythingBlinksAndRepeats)
{
    const std::string f = Path("f.tlv");
    SetSetting("StartMinimized", 1);
    WriteTlv(f, {{"senare", kNow + 3600}, {"första", kNow + 10}, {"andra", kNow + 10}});
    Create(f);
    ASSERT_FALSE(IsWindowVisible(Wnd()));

    SetNow(kNow + 10);
    ASSERT_TRUE(testhooks::FireTimer(Wnd(), 1));
    testhooks::ProcessEvents();
    auto rows = Rows();
    EXPECT_EQ(rows[0].image, 0);
    EXPECT_EQ(rows[1].image, 1);
    EXPECT_EQ(rows[2].image, 1);
    EXPECT_EQ(testhooks::Tray().iconId, 139u);
    EXPECT_EQ(testhooks::Tray().tip, "Det finns 2 meddelanden att läsa.");
    // The desktop notification names the count and the due texts.
    EXPECT_EQ(testhooks::Tray().infoTitle, "Talvo");
    EXPECT_EQ(testhooks::Tray().info, "Det finns 2 meddelanden att läsa.\nförsta\nandra");
    EXPECT_EQ(testhooks::SoundsPlayed(), std::vector<std::string>{ProgramFolder() + "talvo.wav"});
    EXPECT_TRUE(IsWindowVisible(Wnd()));
    EXPECT_EQ(Selected(), std::vector<int>{1});
    EXPECT_EQ(testhooks::WindowText(Item(1006)), "första");
    UINT period = 0;
    ASSERT_TRUE(Armed(2, &period));
    EXPECT_EQ(period, 500u);
    ASSERT_TRUE(Armed(1, &period));
    EXPECT_EQ(period, 120000u);

    // Blinking alternates between the due and the quiet picture.
    ASSERT_TRUE(testhooks::FireTimer(Wnd(), 2));
    const UINT first = testhooks::Tray().iconId;
    ASSERT_TRUE(testhooks::FireTimer(Wnd(), 2));
    const UINT second = testhooks::Tray().iconId;
    EXPECT_EQ((std::set<UINT>{first, second}), (std::set<UINT>{138, 139}));
    EXPECT_EQ(testhooks::Tray().tip, "Det finns 2 meddelanden att läsa.");

    // The repeat restores the window again; clicking its notification too.
    Key(VK_ESCAPE);
    ASSERT_FALSE(IsWindowVisible(Wnd()));
    testhooks::ClearSounds();
    SetNow(kNow + 130);
    ASSERT_TRUE(testhooks::FireTimer(Wnd(), 1));
    testhooks::ProcessEvents();
    EXPECT_TRUE(IsWindowVisible(Wnd()));
    EXPECT_EQ(testhooks::SoundsPlayed().size(), 1u);
    EXPECT_EQ(Selected(), std::vector<int>{1});
    Key(VK_ESCAPE);
    ASSERT_FALSE(IsWindowVisible(Wnd()));
    testhooks::ClickTray(NIN_BALLOONUSERCLICK);
    testhooks::ProcessEvents();
    EXPECT_TRUE(IsWindowVisible(Wnd()));
    EXPECT_TRUE(testhooks::IsForeground(Wnd()));

    // Unchecking one due row keeps the notification; unchecking both stops
    // the alarm and the blinking and withdraws it.
    testhooks::ClickListCheckBox(List(), 1);
    EXPECT_EQ(testhooks::Tray().iconId, 139u);
    EXPECT_EQ(testhooks::Tray().info, "Det finns 1 meddelanden att läsa.\nandra");
    testhooks::ClickListCheckBox(List(), 2);
    EXPECT_EQ(testhooks::Tray().iconId, 138u);
    EXPECT_EQ(testhooks::Tray().tip, AfxFindString(60100));
    EXPECT_EQ(testhooks::Tray().info, "");
    EXPECT_FALSE(Armed(2));
}

TEST_F(MainWndTest, TheNotificationNamesTheFirstDueTextsThatFit)
{
    const std::string f = Path("f.tlv");
    std::vector<TlvRecord> due;
    for (int i = 0; i < 7; ++i)
        due.push_back({"påminnelse " + std::to_string(i), kNow - 60});
    due[2].text = std::string(240, 'x');  // does not fit after the first two: the list ends
    WriteTlv(f, due);
    Create(f);
    Key(VK_F5);
    EXPECT_EQ(testhooks::Tray().info, "Det finns 7 meddelanden att läsa.\npåminnelse 0\npåminnelse 1");
    Destroy();
    due[2].text = "kort";  // now five fit, and five are named
    WriteTlv(f, due);
    Create(f);
    Key(VK_F5);
    EXPECT_EQ(testhooks::Tray().info,
              "Det finns 7 meddelanden att läsa.\npåminnelse 0\npåminnelse 1\nkort\npåminnelse 3\npåminnelse 4");
    Destroy();

    // A first text too long for the notification is cut, never left out.
    WriteTlv(f, {{std::string(300, 'y'), kNow - 60}});
    Create(f);
    Key(VK_F5);
    const std::string info = testhooks::Tray().info;
    EXPECT_EQ(info.size(), 255u);
    EXPECT_EQ(info.substr(0, 36), "Det finns 1 meddelanden att läsa.\ny");
}

TEST_F(MainWndTest, TrayClicksRestoreAndToggleChecking)
{
    const std::string f = Path("f.tlv");
    SetSetting("StartMinimized", 1);
    WriteTlv(f, {{"senare", kNow + 3600}});
    Create(f);
    ASSERT_FALSE(IsWindowVisible(Wnd()));
    EXPECT_TRUE(MenuState(32777) & MF_CHECKED);

    testhooks::ClickTray(WM_LBUTTONDOWN);
    testhooks::ProcessEvents();
    EXPECT_TRUE(IsWindowVisible(Wnd()));
    EXPECT_TRUE(Selected().empty());

    testhooks::ClickTray(WM_RBUTTONDOWN);
    testhooks::ProcessEvents();
    EXPECT_FALSE(m_pDlg->m_data.m_bDoAlarm);
    EXPECT_EQ(testhooks::Tray().iconId, 140u);
    EXPECT_EQ(testhooks::Tray().tip, AfxFindString(60101));
    EXPECT_FALSE(MenuState(32777) & MF_CHECKED);
    EXPECT_FALSE(Armed(1));

    Cmd(32777);
    EXPECT_TRUE(m_pDlg->m_data.m_bDoAlarm);
    EXPECT_EQ(testhooks::Tray().iconId, 138u);
    EXPECT_TRUE(MenuState(32777) & MF_CHECKED);
    EXPECT_TRUE(Armed(1));
}

TEST_F(MainWndTest, CheckNowMarksRowsThatFellDueAndPushForwardMovesThem)
{
    const std::string f = Path("f.tlv");
    WriteTlv(f, {{"knuffbar", kNow + 5, true, 3600, true}});
    Create(f);
    SetNow(kNow + 5);
    EXPECT_EQ(Rows()[0].image, 0);  // not before the next check

    Key(VK_F5);
    EXPECT_EQ(Rows()[0].image, 1);
    EXPECT_EQ(testhooks::Tray().iconId, 139u);
    EXPECT_EQ(testhooks::SoundsPlayed().size(), 1u);
    const std::string before = Rows()[0].texts[0];

    Key(VK_F8);
    EXPECT_EQ(std::to_string(m_pDlg->m_data.m_reminderList.GetAt(0).m_nTime), Stored(kNow + 5 + 3600));
    EXPECT_EQ(Rows()[0].image, 0);
    // Nothing is due now, and the tray says so at once, not at the next check.
    EXPECT_EQ(testhooks::Tray().iconId, 138u);
    EXPECT_EQ(testhooks::Tray().tip, AfxFindString(60100));
    EXPECT_EQ(testhooks::Tray().info, "");
    EXPECT_FALSE(Armed(2));
    UINT period = 0;
    ASSERT_TRUE(Armed(1, &period));
    EXPECT_EQ(period, 3600000u);
    EXPECT_NE(Rows()[0].texts[0], before);
    EXPECT_FALSE(m_pDlg->m_bEditMode);
    EXPECT_FALSE(Armed(3));  // pushing is not an edit
}

TEST_F(MainWndTest, EscapeHidesLikeMinimiseIncludingThePush)
{
    const std::string f = Path("f.tlv");
    WriteTlv(f, {{"förfallen", kNow - 100, true, 3600, true}});
    Create(f);
    ASSERT_TRUE(IsWindowVisible(Wnd()));
    Key(VK_ESCAPE);
    EXPECT_FALSE(IsWindowVisible(Wnd()));
    EXPECT_TRUE(Alive());
    EXPECT_EQ(std::to_string(m_pDlg->m_data.m_reminderList.GetAt(0).m_nTime), Stored(kNow - 100 + 3600));
    EXPECT_EQ(testhooks::Tray().iconId, 138u);
    UINT period = 0;
    ASSERT_TRUE(Armed(1, &period));
    EXPECT_EQ(period, 3500000u);

    // Hidden, the window holds no focus (no caret blinks in the tray); shown
    // again, the message edit has it back and takes the keys.
    EXPECT_EQ(testhooks::FocusWindow(), nullptr);
    testhooks::ClickTray(WM_LBUTTONDOWN);
    testhooks::ProcessEvents();
    EXPECT_EQ(testhooks::FocusWindow(), Item(1006));
    testhooks::ClickMinimize(Wnd());
    testhooks::ProcessEvents();
    EXPECT_FALSE(IsWindowVisible(Wnd()));
    Destroy();

    SetSetting("PushOnMinize", 0);
    Create(f);
    Key(VK_ESCAPE);
    EXPECT_FALSE(IsWindowVisible(Wnd()));
    EXPECT_EQ(std::to_string(m_pDlg->m_data.m_reminderList.GetAt(0).m_nTime), Stored(kNow - 100));
}

TEST_F(MainWndTest, AutosaveWritesAMinuteAfterTheLastEdit)
{
    const std::string f = Path("f.tlv");
    WriteTlv(f, {{"gammal", kNow + 3600}});
    Create(f);
    EXPECT_FALSE(Armed(3));
    testhooks::TypeText(Item(1006), "ny rad");
    testhooks::ClickButton(Item(1009));
    UINT period = 0;
    ASSERT_TRUE(Armed(3, &period));
    EXPECT_EQ(period, 60000u);
    EXPECT_EQ(ReadFile(f).find("ny rad"), std::string::npos);

    ASSERT_TRUE(testhooks::FireTimer(Wnd(), 3));
    testhooks::ProcessEvents();
    EXPECT_NE(ReadFile(f).find("\r\nny rad\r\n"), std::string::npos);
    EXPECT_FALSE(Armed(3));
    EXPECT_TRUE(Boxes().empty());
}
