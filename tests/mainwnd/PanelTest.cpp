// The list view and the edit panel: adding, changing, check boxes, defaults.

#include "MainWndFixture.h"

#include "model/PickerTime.h"
#include "res/resource.h"

namespace {

bool EndsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

TEST_F(MainWndTest, AddingAppendsARowAndResetsThePanel)
{
    const std::string f = Path("f.tlv");
    TlvHeader h;
    h.defaultText = "Standard";
    h.timeAdd = 600;
    WriteTlv(f, {}, h);
    Create(f);
    EXPECT_EQ(testhooks::ListColumnWidths(List()), (std::vector<int>{142, 308}));

    testhooks::TypeText(Item(1006), "Köp mjölk");
    testhooks::ClickButton(Item(1009));
    ASSERT_EQ(Texts(), std::vector<std::string>{"Köp mjölk"});
    const auto& rec = m_pDlg->m_data.m_reminderList.GetAt(0);
    EXPECT_EQ(std::to_string(rec.m_nTime), Stored(kNow + 600));  // now + default offset, through the pickers
    EXPECT_TRUE(rec.m_bRemind);
    EXPECT_FALSE(m_pDlg->m_bEditMode);
    EXPECT_EQ(testhooks::WindowText(Item(1006)), "Standard");
    EXPECT_EQ(testhooks::FocusWindow(), Item(1006));

    testhooks::TypeText(Item(1006), "");
    testhooks::ClickButton(Item(1009));
    EXPECT_EQ(Rows().size(), 1u);  // an empty text adds nothing
}

TEST_F(MainWndTest, ChangeMovesThePanelOnOrBackToAddMode)
{
    const std::string f = Path("f.tlv");
    WriteTlv(f, {{"a", kNow + 60}, {"b", kNow + 120}, {"c", kNow + 180}});
    Create(f);

    testhooks::ClickListItem(List(), 0);
    EXPECT_TRUE(m_pDlg->m_bEditMode);
    EXPECT_EQ(testhooks::WindowText(Item(1006)), "a");
    testhooks::TypeText(Item(1006), "A");
    testhooks::ClickButton(Item(1009));
    EXPECT_EQ(Texts(), (std::vector<std::string>{"A", "b", "c"}));
    EXPECT_EQ(std::to_string(m_pDlg->m_data.m_reminderList.GetAt(0).m_nTime), Stored(kNow + 60));  // time kept
    EXPECT_EQ(Selected(), std::vector<int>{1});
    EXPECT_TRUE(m_pDlg->m_bEditMode);
    EXPECT_EQ(testhooks::WindowText(Item(1006)), "b");

    testhooks::ClickListItem(List(), 2);
    testhooks::TypeText(Item(1006), "C");
    testhooks::ClickButton(Item(1009));
    EXPECT_EQ(Texts(), (std::vector<std::string>{"A", "b", "C"}));
    EXPECT_TRUE(Selected().empty());
    EXPECT_FALSE(m_pDlg->m_bEditMode);

    testhooks::ClickListItem(List(), 1);
    testhooks::ClickListItem(List(), 2, true);
    testhooks::TypeText(Item(1006), "B");
    testhooks::ClickButton(Item(1009));
    EXPECT_EQ(Texts(), (std::vector<std::string>{"A", "B", "C"}));  // the first selected row
    EXPECT_EQ(Rows().size(), 3u);
}

TEST_F(MainWndTest, CheckBoxClickUpdatesRecordIconPanelAndAutosave)
{
    const std::string f = Path("f.tlv");
    WriteTlv(f, {{"förfallen", kNow - 60}, {"senare", kNow + 3600}});
    Create(f);
    ASSERT_EQ(Rows().size(), 2u);
    EXPECT_EQ(Rows()[0].image, 1);
    EXPECT_TRUE(Rows()[0].checked);
    EXPECT_EQ(Rows()[1].image, 0);
    EXPECT_EQ(testhooks::Tray().iconId, 139u);
    EXPECT_FALSE(Armed(3));

    testhooks::ClickListItem(List(), 0);
    EXPECT_TRUE(testhooks::IsChecked(Item(1005)));
    testhooks::ClickListCheckBox(List(), 0);
    EXPECT_FALSE(Rows()[0].checked);
    EXPECT_EQ(Rows()[0].image, 0);
    EXPECT_FALSE(m_pDlg->m_data.m_reminderList.GetAt(0).m_bRemind);
    EXPECT_FALSE(testhooks::IsChecked(Item(1005)));
    EXPECT_EQ(testhooks::Tray().iconId, 138u);
    EXPECT_FALSE(Armed(2));
    UINT period = 0;
    EXPECT_TRUE(Armed(3, &period));
    EXPECT_EQ(period, 60000u);
    EXPECT_TRUE(m_pDlg->m_data.m_reminderList.GetAt(1).m_bRemind);  // only that record

    testhooks::ClickListCheckBox(List(), 0);
    EXPECT_EQ(Rows()[0].image, 1);
    EXPECT_TRUE(testhooks::IsChecked(Item(1005)));
}

TEST_F(MainWndTest, NewMessageTakesTheListDefaults)
{
    const std::string f = Path("f.tlv");
    TlvHeader h{"Ny påminnelse", 3600, false, 300, true};
    WriteTlv(f, {{"a", kNow + 60}}, h);
    Create(f);
    testhooks::ClickListItem(List(), 0);
    ASSERT_TRUE(m_pDlg->m_bEditMode);

    Key(VK_F2);
    EXPECT_TRUE(Selected().empty());
    EXPECT_FALSE(m_pDlg->m_bEditMode);
    EXPECT_EQ(testhooks::WindowText(Item(1006)), "Ny påminnelse");
    EXPECT_FALSE(testhooks::IsChecked(Item(1005)));
    EXPECT_TRUE(testhooks::IsChecked(Item(1039)));
    EXPECT_EQ(testhooks::WindowText(Item(1040)), "300");
    EXPECT_EQ(std::to_string(FromPickerTime(m_pDlg->m_date.GetTime(), m_pDlg->m_time.GetTime())),
              Stored(kNow + 3600));
    EXPECT_EQ(testhooks::FocusWindow(), Item(1006));
}

TEST_F(MainWndTest, PushIntervalSuffixFollowsViewPushTime)
{
    const std::string f = Path("f.tlv");
    WriteTlv(f, {{"dag", kNow + 60, true, 86400, true},
                 {"fem", kNow + 60, true, 300, true},
                 {"udda", kNow + 60, true, 61, true},
                 {"utan", kNow + 60, true, 86400, false},
                 // Only a damaged file holds these: the sign is shown once.
                 {"negativ", kNow + 60, true, -5, true},
                 {"minst", kNow + 60, true, -2147483647L - 1, true}});
    Create(f);
    auto rows = Rows();
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_TRUE(EndsWith(rows[4].texts[0], " (-0 00:00:05)")) << rows[4].texts[0];
    EXPECT_TRUE(EndsWith(rows[5].texts[0], " (-24855 03:14:08)")) << rows[5].texts[0];
    EXPECT_TRUE(EndsWith(rows[0].texts[0], " (+1 00:00:00)")) << rows[0].texts[0];
    EXPECT_TRUE(EndsWith(rows[1].texts[0], " (+0 00:05:00)")) << rows[1].texts[0];
    EXPECT_TRUE(EndsWith(rows[2].texts[0], " (+0 00:01:01)")) << rows[2].texts[0];
    EXPECT_EQ(rows[3].texts[0].find('('), std::string::npos);
    Destroy();

    SetSetting("ViewPushTime", 0);
    Create(f);
    for (const auto& row : Rows())
        EXPECT_EQ(row.texts[0].find('('), std::string::npos) << row.texts[0];
}

TEST_F(MainWndTest, MenuKeysWorkWithTheFocusInTheEditAndInTheList)
{
    const std::string f = Path("f.tlv");
    WriteTlv(f, {{"a", kNow + 60}});
    Create(f);
    std::remove(f.c_str());

    m_pDlg->GetDlgItem(1006)->SetFocus();
    ASSERT_EQ(testhooks::FocusWindow(), Item(1006));
    Key('S', false, true);  // Ctrl+S
    EXPECT_NE(ReadFile(f).find("\r\na\r\n"), std::string::npos);

    m_pDlg->m_list.SetFocus();
    ASSERT_EQ(testhooks::FocusWindow(), List());
    Key(VK_F7);  // nothing due
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, AfxFindString(60305));
    EXPECT_EQ(Boxes()[0].type & MB_ICONMASK, MB_ICONINFORMATION);
}

// Alt and a label's marked letter move the focus to the control after the
// label, as the dialog manager does; the message edit is reached with its
// text selected, so typing replaces it, and the letter is never typed.
TEST_F(MainWndTest, AltAndALabelLetterFocusTheControlAfterIt)
{
    const std::string f = Path("f.tlv");
    WriteTlv(f, {{"gammal text", kNow + 60}});
    Create(f);
    std::remove(f.c_str());
    m_pDlg->m_list.SetFocus();
    m_pDlg->GetDlgItem(IDC_TEXT)->SetWindowText("gammal text");

    testhooks::SendKey(m_pDlg->m_hWnd, 'M', false, false, true);
    ASSERT_EQ(testhooks::FocusWindow(), Item(IDC_TEXT));
    CString text;
    m_pDlg->GetDlgItem(IDC_TEXT)->GetWindowText(text);
    EXPECT_EQ(std::string(text), "gammal text") << "Alt+M typed nothing";
    DWORD start = 0, end = 0;
    ::SendMessage(Item(IDC_TEXT), EM_GETSEL, WPARAM(&start), LPARAM(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 11u) << "the whole text selected";

    // Already in the edit: selected again.
    ::SendMessage(Item(IDC_TEXT), EM_SETSEL, 3, 3);
    testhooks::SendKey(m_pDlg->m_hWnd, 'M', false, false, true);
    ::SendMessage(Item(IDC_TEXT), EM_GETSEL, WPARAM(&start), LPARAM(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 11u);

    testhooks::SendKey(m_pDlg->m_hWnd, 'D', false, false, true);
    EXPECT_EQ(testhooks::FocusWindow(), Item(IDC_DATE));
    testhooks::SendKey(m_pDlg->m_hWnd, 'T', false, false, true);
    EXPECT_EQ(testhooks::FocusWindow(), Item(IDC_TIME));
}

TEST_F(MainWndTest, PushFieldShowsTheWholeStoredNumber)
{
    // The largest interval, and a damaged header's 4000000000, read with
    // wrap-around as -294967296: each is shown whole, not its last digits.
    for (long long stored : {2147483647LL, 4000000000LL}) {
        const std::string f = Path("f.tlv");
        TlvHeader h{"", 0, true, stored, true};
        WriteTlv(f, {}, h);
        Create(f);
        const std::string text = std::to_string(std::int32_t(std::uint32_t(stored)));
        EXPECT_EQ(testhooks::WindowText(Item(1040)), text);
        EXPECT_EQ(testhooks::VisibleEditText(Item(1040)), text);
        Destroy();
    }
}
