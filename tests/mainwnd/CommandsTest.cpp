// Navigation, search, sorting, moving and deleting.

#include "MainWndFixture.h"

#include "platform/FindReplaceDialog.h"

namespace {

std::vector<TlvRecord> Five()
{
    std::vector<TlvRecord> recs;
    for (int i = 0; i < 5; ++i)
        recs.push_back({"r" + std::to_string(i), kNow + 3600 * (i + 1)});
    return recs;
}

}  // namespace

TEST_F(MainWndTest, NextAndPreviousDueWrapAround)
{
    const std::string f = Path("f.tlv");
    std::vector<TlvRecord> recs;
    for (int i = 0; i < 6; ++i)
        recs.push_back({"r" + std::to_string(i), (i == 3 || i == 5) ? kNow - 60 : kNow + 3600});
    WriteTlv(f, recs);
    Create(f);
    Key(VK_F7);
    EXPECT_EQ(Selected(), std::vector<int>{3});
    Key(VK_F7);
    EXPECT_EQ(Selected(), std::vector<int>{5});
    Key(VK_F7);
    EXPECT_EQ(Selected(), std::vector<int>{3});
    Key(VK_F2);
    Key(VK_F7, true);
    EXPECT_EQ(Selected(), std::vector<int>{5});
    EXPECT_TRUE(Boxes().empty());

    testhooks::ClickListCheckBox(List(), 3);
    testhooks::ClickListCheckBox(List(), 5);
    testhooks::ClickListItem(List(), 1);
    Key(VK_F7);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, AfxFindString(60305));
    EXPECT_EQ(Boxes()[0].type & MB_ICONMASK, MB_ICONINFORMATION);
    EXPECT_EQ(Selected(), std::vector<int>{1});
}

TEST_F(MainWndTest, FindDialogIsSingleAndOwnsItsNotFoundMessage)
{
    const std::string f = Path("f.tlv");
    WriteTlv(f, Five());
    Create(f);
    Key(VK_F3);  // nothing searched yet: the dialog opens
    ASSERT_NE(m_pDlg->m_pFindDlg, nullptr);
    EXPECT_TRUE(Boxes().empty());
    CFindReplaceDialog* open = m_pDlg->m_pFindDlg;
    Key('F', false, true);
    EXPECT_EQ(m_pDlg->m_pFindDlg, open);

    m_pDlg->m_strFindText = "saknas";
    Key(VK_F3);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "Det går inte att hitta \"saknas\".");
    EXPECT_EQ(Boxes()[0].caption, "Talvo");
    EXPECT_EQ(Boxes()[0].owner, open->m_hWnd);
    EXPECT_EQ(Boxes()[0].type & MB_ICONMASK, MB_ICONINFORMATION);

    m_pDlg->m_strFindText = "r0";
    Key(VK_F3);  // from row 0, so row 0 is found last
    EXPECT_EQ(Selected(), std::vector<int>{0});

    testhooks::ClickClose(open->m_hWnd);
    testhooks::ProcessEvents();
    EXPECT_EQ(m_pDlg->m_pFindDlg, nullptr);
    testhooks::ClearMessageBoxes();
    m_pDlg->m_strFindText = "saknas";
    Key(VK_F3);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].owner, Wnd());
}

TEST_F(MainWndTest, QuittingWithTheFindDialogOpenEndsBoth)
{
    // The dialog goes first, with its owner; the main window must not reach
    // for it afterwards (the sanitizer run sees a use after free).
    const std::string f = Path("f.tlv");
    WriteTlv(f, Five());
    Create(f);
    Key('F', false, true);
    ASSERT_NE(m_pDlg->m_pFindDlg, nullptr);
    const HWND find = m_pDlg->m_pFindDlg->m_hWnd;
    Answer(IDYES);
    Cmd(32771);
    testhooks::ProcessEvents();
    EXPECT_FALSE(Alive());
    EXPECT_FALSE(IsWindow(find));
}

TEST_F(MainWndTest, SortingFollowsTheMenuOptionsAndOnlyAColumnClickIsAnEdit)
{
    const std::string f = Path("f.tlv");
    WriteTlv(f, {{"d", kNow + 100, false}, {"b", kNow + 400}, {"c", kNow + 200, false}, {"a", kNow + 300}});
    Create(f);
    EXPECT_TRUE(MenuState(32789) & MF_CHECKED);
    EXPECT_TRUE(MenuState(32791) & MF_CHECKED);

    Key(VK_F4);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"a", "b", "d", "c"}));
    EXPECT_FALSE(Armed(3));

    Cmd(32789);
    Cmd(32791);
    EXPECT_FALSE(MenuState(32789) & MF_CHECKED);
    EXPECT_FALSE(MenuState(32791) & MF_CHECKED);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"a", "b", "d", "c"}));  // not re-sorted
    Key(VK_F4, true);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"d", "c", "b", "a"}));
    EXPECT_FALSE(Armed(3));

    Cmd(32789);
    testhooks::ClickListColumn(List(), 0);
    testhooks::ProcessEvents();
    EXPECT_EQ(Texts(), (std::vector<std::string>{"d", "c", "a", "b"}));
    EXPECT_TRUE(Armed(3));
}

TEST_F(MainWndTest, MovingKeepsTheSelectedBlockTogether)
{
    const std::string f = Path("f.tlv");
    WriteTlv(f, Five());
    Create(f);
    testhooks::ClickListItem(List(), 2);
    testhooks::ClickListItem(List(), 3, true);
    Key(VK_F6);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"r0", "r2", "r3", "r1", "r4"}));
    EXPECT_EQ(Selected(), (std::vector<int>{1, 2}));
    EXPECT_TRUE(Armed(3));

    Key(VK_F6, true);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"r0", "r1", "r2", "r3", "r4"}));
    EXPECT_EQ(Selected(), (std::vector<int>{2, 3}));

    testhooks::ClickListItem(List(), 0);
    testhooks::ClickListItem(List(), 3, true);
    Key(VK_F6);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"r0", "r1", "r2", "r3", "r4"}));
    testhooks::ClickListItem(List(), 4, true);
    Key(VK_F6, true);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"r0", "r1", "r2", "r3", "r4"}));
}

TEST_F(MainWndTest, DeleteAsksWithTheCountAndOnlyYesDeletes)
{
    const std::string f = Path("f.tlv");
    WriteTlv(f, Five());
    Create(f);
    testhooks::ClickListItem(List(), 1);
    testhooks::ClickListItem(List(), 3, true);
    testhooks::ClickListItem(List(), 4, true);
    ASSERT_EQ(testhooks::FocusWindow(), List());

    Answer(IDNO);
    Key(VK_DELETE);
    Answer(IDCANCEL);
    Cmd(32794);
    ASSERT_EQ(Boxes().size(), 2u);
    EXPECT_EQ(Boxes()[0].text, "3 meddelanden kommer att raderas. Vill du fortsätta?");
    EXPECT_EQ(Boxes()[0].type, MB_YESNOCANCEL | MB_ICONEXCLAMATION);
    EXPECT_EQ(Boxes()[0].buttons, (std::vector<std::string>{"Ja", "Nej", "Avbryt"}));
    EXPECT_EQ(Rows().size(), 5u);

    Answer(IDYES);
    Key(VK_DELETE);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"r0", "r2"}));
    EXPECT_TRUE(Selected().empty());
    EXPECT_FALSE(m_pDlg->m_bEditMode);
    EXPECT_TRUE(Armed(3));

    testhooks::ClickListItem(List(), 0);
    testhooks::ClearMessageBoxes();
    m_pDlg->GetDlgItem(1006)->SetFocus();
    Key(VK_DELETE);  // no accelerator: Del in the edit is the edit's own
    EXPECT_TRUE(Boxes().empty());
    Answer(IDYES);
    Cmd(32794);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "1 meddelanden kommer att raderas. Vill du fortsätta?");
    EXPECT_EQ(Texts(), std::vector<std::string>{"r2"});
}
