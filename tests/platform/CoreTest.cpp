// The window layer: message maps, the modeless main-window frame, keys,
// menus and the window state the main window relies on.

#include "CoreTestSupport.h"

#include "platform/qt/KeyMap.h"
#include "platform/testhooks/TestHooks.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QMenuBar>
#include <QWidget>

#include <string>
#include <vector>

using namespace coretest;

namespace {

UINT g_nTestMsg = RegisterWindowMessageA("talvo_core_test");

class CMainTestDlg : public CDialog {
public:
    explicit CMainTestDlg(bool create = true)
    {
        if (create)
            Create(IDD_MAIN);
    }

    CString m_strText = "start";
    int m_bRemind = 1;
    long m_nNumber = 86400;
    CButton m_btnAdd;

    bool m_bInitSawWindow = false;
    int m_nNew = 0, m_nSave = 0, m_nSort = 0, m_nAdd = 0, m_nClose = 0, m_nEsc = 0, m_nExit = 0;
    int m_nRegistered = 0, m_nHelp = 0, m_nHelpCtrl = 0, m_nDestroy = 0;
    std::vector<UINT> m_sizes;
    std::vector<UINT> m_sysCommands;
    std::vector<std::string>* m_pLog = nullptr;
    bool m_bHideOnMinimize = true;
    bool m_bDeleteOnNcDestroy = false;

    BOOL OnInitDialog() override
    {
        m_bInitSawWindow = m_hWnd != nullptr && GetDlgItem(IDC_TEXT) != nullptr;
        CDialog::OnInitDialog();
        return TRUE;
    }

    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Control(pDX, IDC_ADD, m_btnAdd);
        DDX_Text(pDX, IDC_TEXT, m_strText);
        DDX_Check(pDX, IDC_REMIND, m_bRemind);
        DDX_Text(pDX, IDC_NUMBER, m_nNumber);
    }

    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_ESCAPE) {
            ++m_nEsc;
            return TRUE;
        }
        return CDialog::PreTranslateMessage(pMsg);
    }

    void PostNcDestroy() override
    {
        if (m_pLog)
            m_pLog->push_back("PostNcDestroy");
        if (m_bDeleteOnNcDestroy)
            delete this;
    }

    void OnNew() { ++m_nNew; }
    void OnSave() { ++m_nSave; }
    void OnSort() { ++m_nSort; }
    void OnExit() { ++m_nExit; }
    void OnAdd() { ++m_nAdd; }
    void OnClose() { ++m_nClose; }
    void OnDestroy()
    {
        CDialog::OnDestroy();
        ++m_nDestroy;
        if (m_pLog)
            m_pLog->push_back("WM_DESTROY");
    }
    void OnSize(UINT nType, int cx, int cy)
    {
        CDialog::OnSize(nType, cx, cy);
        m_sizes.push_back(nType);
        if (nType == SIZE_MINIMIZED && m_bHideOnMinimize)
            ShowWindow(SW_HIDE);
    }
    void OnSysCommand(UINT nID, LPARAM lParam)
    {
        m_sysCommands.push_back(nID);
        if ((nID & 0xFFF0) != 0x0010)
            CDialog::OnSysCommand(nID, lParam);
    }
    BOOL OnHelpInfo(HELPINFO* info)
    {
        ++m_nHelp;
        m_nHelpCtrl = info ? info->iCtrlId : 0;
        return TRUE;
    }
    LRESULT OnRegistered(WPARAM wParam, LPARAM lParam)
    {
        ++m_nRegistered;
        return LRESULT(wParam + WPARAM(lParam));
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CMainTestDlg, CDialog)
    ON_COMMAND(ID_NEW, OnNew)
    ON_COMMAND(ID_SAVE, OnSave)
    ON_COMMAND(ID_SORT_ALPHA, OnSort)
    ON_COMMAND(ID_EXIT, OnExit)
    ON_BN_CLICKED(IDC_ADD, OnAdd)
    ON_WM_CLOSE()
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_WM_SYSCOMMAND()
    ON_WM_HELPINFO()
    ON_REGISTERED_MESSAGE(g_nTestMsg, OnRegistered)
END_MESSAGE_MAP()

// Base-class fallback: the derived map overrides one command, the base keeps the other.
class CBaseTarget : public CWnd {
public:
    int m_nBase = 0, m_nShared = 0;
    void OnBaseOnly() { ++m_nBase; }
    void OnShared() { ++m_nShared; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CBaseTarget, CWnd)
    ON_COMMAND(200, OnBaseOnly)
    ON_COMMAND(201, OnShared)
END_MESSAGE_MAP()

class CDerivedTarget : public CBaseTarget {
public:
    int m_nDerived = 0, m_nRange = 0, m_nLastRangeId = 0, m_nNotify = 0;
    void OnDerivedShared() { ++m_nDerived; }
    void OnRange(UINT id)
    {
        ++m_nRange;
        m_nLastRangeId = int(id);
    }
    void OnItemChanged(NMHDR*, LRESULT* result)
    {
        ++m_nNotify;
        *result = 7;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CDerivedTarget, CBaseTarget)
    ON_COMMAND(201, OnDerivedShared)
    ON_COMMAND_RANGE(300, 310, OnRange)
    ON_NOTIFY(LVN_ITEMCHANGED, 1000, OnItemChanged)
END_MESSAGE_MAP()

class CoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureStarted();
        testhooks::EnableMessageBoxHook(true);
        testhooks::ClearMessageBoxes();
    }
    void TearDown() override
    {
        g_hMainWnd = nullptr;
        testhooks::ProcessEvents();
    }
};

QWidget* Widget(HWND h) { return reinterpret_cast<QWidget*>(h); }

}  // namespace

TEST_F(CoreTest, MessageMapsDispatchWithBaseFallbackRangesNotifyAndRegisteredMessages)
{
    QWidget host;
    CDerivedTarget target;
    ASSERT_TRUE(target.Attach(reinterpret_cast<HWND>(&host)));

    ::SendMessage(target.m_hWnd, WM_COMMAND, 200, 0);
    ::SendMessage(target.m_hWnd, WM_COMMAND, 201, 0);
    EXPECT_EQ(target.m_nBase, 1);
    EXPECT_EQ(target.m_nDerived, 1);
    EXPECT_EQ(target.m_nShared, 0) << "the derived entry must hide the base one";

    // Accelerators send code 1 and still reach ON_COMMAND.
    ::SendMessage(target.m_hWnd, WM_COMMAND, MAKELONG(305, 1), 0);
    EXPECT_EQ(target.m_nRange, 1);
    EXPECT_EQ(target.m_nLastRangeId, 305);
    ::SendMessage(target.m_hWnd, WM_COMMAND, 311, 0);
    EXPECT_EQ(target.m_nRange, 1);
    // A control's other notification code is not a command.
    ::SendMessage(target.m_hWnd, WM_COMMAND, MAKELONG(200, EN_CHANGE), reinterpret_cast<LPARAM>(&host));
    EXPECT_EQ(target.m_nBase, 1);

    NMHDR hdr;
    hdr.idFrom = 1000;
    hdr.code = LVN_ITEMCHANGED;
    EXPECT_EQ(::SendMessage(target.m_hWnd, WM_NOTIFY, 1000, reinterpret_cast<LPARAM>(&hdr)), 7);
    hdr.idFrom = 1001;
    EXPECT_EQ(::SendMessage(target.m_hWnd, WM_NOTIFY, 1001, reinterpret_cast<LPARAM>(&hdr)), 0);
    EXPECT_EQ(target.m_nNotify, 1);

    EXPECT_GE(g_nTestMsg, 0xC000u);
    EXPECT_EQ(RegisterWindowMessageA("TALVO_CORE_TEST"), g_nTestMsg);
    EXPECT_NE(RegisterWindowMessageA("talvo_other"), g_nTestMsg);
    EXPECT_EQ(RegisterWindowMessageA(""), 0u);

    EXPECT_EQ(CWnd::FromHandlePermanent(target.m_hWnd), &target);
    target.Detach();
    EXPECT_EQ(CWnd::FromHandlePermanent(reinterpret_cast<HWND>(&host)), nullptr);
}

TEST_F(CoreTest, PostedMessagesArriveLaterAndAreDroppedForDeadWindows)
{
    CMainTestDlg dlg;
    ASSERT_TRUE(IsWindow(dlg.m_hWnd));
    EXPECT_TRUE(::PostMessage(dlg.m_hWnd, g_nTestMsg, 1, 2));
    EXPECT_EQ(dlg.m_nRegistered, 0);
    testhooks::ProcessEvents();
    EXPECT_EQ(dlg.m_nRegistered, 1);
    EXPECT_EQ(::SendMessage(dlg.m_hWnd, g_nTestMsg, 3, 4), 7);

    HWND h = dlg.m_hWnd;
    EXPECT_TRUE(::PostMessage(h, g_nTestMsg, 0, 0));
    dlg.DestroyWindow();
    EXPECT_FALSE(IsWindow(h));
    EXPECT_FALSE(::PostMessage(h, g_nTestMsg, 0, 0));
    testhooks::ProcessEvents();
    EXPECT_EQ(dlg.m_nRegistered, 2);
}

TEST_F(CoreTest, ModelessCreateBuildsTheMainWindowFrame)
{
    CMainTestDlg dlg;
    ASSERT_TRUE(IsWindow(dlg.m_hWnd));
    EXPECT_TRUE(dlg.m_bInitSawWindow) << "OnInitDialog runs inside Create, controls present";
    QWidget* w = Widget(dlg.m_hWnd);
    EXPECT_TRUE(w->isWindow());
    EXPECT_EQ(w->parentWidget(), nullptr) << "a top-level window has its own taskbar button";
    EXPECT_FALSE(dlg.IsWindowVisible()) << "not visible when created";
    EXPECT_EQ(testhooks::WindowText(dlg.m_hWnd), "Talvo");
    EXPECT_TRUE(w->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(w->minimumSize(), w->maximumSize()) << "not resizable";

    // First data exchange into the controls.
    EXPECT_EQ(testhooks::WindowText(::GetDlgItem(dlg.m_hWnd, int(IDC_TEXT))), "start");
    EXPECT_EQ(testhooks::WindowText(::GetDlgItem(dlg.m_hWnd, int(IDC_NUMBER))), "86400");
    EXPECT_TRUE(testhooks::IsChecked(::GetDlgItem(dlg.m_hWnd, int(IDC_REMIND))));
    EXPECT_EQ(dlg.m_btnAdd.m_hWnd, ::GetDlgItem(dlg.m_hWnd, int(IDC_ADD)));
    EXPECT_EQ(dlg.m_btnAdd.GetDlgCtrlID(), int(IDC_ADD));
    EXPECT_EQ(dlg.GetDlgItem(4242), nullptr);

    // Texts of every widget kind.
    EXPECT_EQ(testhooks::WindowText(dlg.m_btnAdd.m_hWnd), "&L\xC3\xA4gg till");
    dlg.m_btnAdd.SetWindowText("&\xC3\x84ndra");
    CString text;
    dlg.m_btnAdd.GetWindowText(text);
    EXPECT_EQ(text, "&\xC3\x84ndra");
    dlg.SetWindowText("\xE5\xE4\xF6 - Talvo");  // Windows-1252 bytes
    EXPECT_EQ(testhooks::WindowText(dlg.m_hWnd), "\xC3\xA5\xC3\xA4\xC3\xB6 - Talvo");
    char small[4];
    EXPECT_EQ(dlg.GetWindowText(small, sizeof small), 2) << "never cut inside a character";
    EXPECT_STREQ(small, "\xC3\xA5");

    dlg.ShowWindow(SW_RESTORE);
    EXPECT_TRUE(dlg.IsWindowVisible());
    EXPECT_FALSE(dlg.IsIconic());
    EXPECT_TRUE(dlg.SetForegroundWindow());
    testhooks::ProcessEvents();
    EXPECT_TRUE(testhooks::IsForeground(dlg.m_hWnd));
    dlg.DestroyWindow();
}

TEST_F(CoreTest, DialogUnitsPlaceEveryControlInsideTheClientAreaUnclipped)
{
    CMainTestDlg dlg;
    ASSERT_TRUE(IsWindow(dlg.m_hWnd));
    CRect client;
    dlg.GetClientRect(&client);
    QWidget* w = Widget(dlg.m_hWnd);
    auto* bar = w->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr) << "a dialog with a menu gets a menu bar";
    EXPECT_GT(bar->height(), 0);
    EXPECT_EQ(w->height(), client.Height() + bar->height()) << "the menu bar sits above the client area";

    // 200 x 100 dialog units: at least the size Windows gives them.
    QFontMetrics fm(w->font());
    EXPECT_GE(client.Width(), 200 * 6 / 4);
    EXPECT_GE(client.Height(), 100 * 13 / 8);
    EXPECT_GE(client.Width(), 200 * fm.averageCharWidth() / 4);
    EXPECT_LE(client.Width(), 200 * 3 * fm.averageCharWidth() / 4) << "sensible, not huge";

    for (UINT id : {IDC_LABEL, IDC_TEXT, IDC_REMIND, IDC_NUMBER, IDC_ADD}) {
        HWND h = ::GetDlgItem(dlg.m_hWnd, int(id));
        ASSERT_NE(h, nullptr) << id;
        CRect r;
        CWnd::FromHandle(h)->GetWindowRect(&r);
        dlg.ScreenToClient(&r);
        EXPECT_GE(r.left, 0) << id;
        EXPECT_GE(r.top, 0) << id;
        EXPECT_LE(r.right, client.right) << id;
        EXPECT_LE(r.bottom, client.bottom) << id;
        QWidget* c = Widget(h);
        EXPECT_GE(c->width(), c->minimumSizeHint().width()) << "clipped: " << id;
    }
    auto* label = qobject_cast<QLabel*>(Widget(::GetDlgItem(dlg.m_hWnd, int(IDC_LABEL))));
    if (label) {
        EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance("&Meddelande:"), label->width());
    }
    dlg.DestroyWindow();
}

TEST_F(CoreTest, AcceleratorsWorkWhileTheFocusIsInAnEdit)
{
    CMainTestDlg dlg;
    g_hMainWnd = dlg.m_hWnd;
    dlg.ShowWindow(SW_RESTORE);
    HWND hEdit = ::GetDlgItem(dlg.m_hWnd, int(IDC_TEXT));
    CWnd::FromHandle(hEdit)->SetFocus();
    testhooks::ProcessEvents();
    ASSERT_EQ(testhooks::FocusWindow(), hEdit);
    testhooks::TypeText(hEdit, "");

    testhooks::SendKey(dlg.m_hWnd, VK_F2);
    testhooks::SendKey(dlg.m_hWnd, 'S', false, true);
    testhooks::SendKey(dlg.m_hWnd, VK_F4, true);
    testhooks::SendKey(dlg.m_hWnd, VK_F4);  // only Shift+F4 is in the table
    testhooks::SendKey(dlg.m_hWnd, 'S', true, true);
    EXPECT_EQ(dlg.m_nNew, 1);
    EXPECT_EQ(dlg.m_nSave, 1);
    EXPECT_EQ(dlg.m_nSort, 1);
    EXPECT_EQ(testhooks::WindowText(hEdit), "") << "translated keys must not reach the edit";

    // Other keys are typed into the edit.
    testhooks::SendKey(dlg.m_hWnd, 'A');
    testhooks::SendKey(dlg.m_hWnd, 'B', true);
    EXPECT_EQ(testhooks::WindowText(hEdit), "aB");

    // A grayed menu entry takes its key but sends nothing.
    dlg.GetMenu()->EnableMenuItem(ID_NEW, MF_BYCOMMAND | MF_GRAYED);
    testhooks::SendKey(dlg.m_hWnd, VK_F2);
    EXPECT_EQ(dlg.m_nNew, 1);
    dlg.DestroyWindow();
}

TEST_F(CoreTest, EscGoesThroughPreTranslateMessageAndEnterClicksTheDefaultButton)
{
    CMainTestDlg dlg;
    dlg.ShowWindow(SW_RESTORE);
    HWND hEdit = ::GetDlgItem(dlg.m_hWnd, int(IDC_TEXT));
    CWnd::FromHandle(hEdit)->SetFocus();
    testhooks::ProcessEvents();

    testhooks::SendKey(dlg.m_hWnd, VK_ESCAPE);
    testhooks::ProcessEvents();
    EXPECT_EQ(dlg.m_nEsc, 1);
    EXPECT_TRUE(IsWindow(dlg.m_hWnd));
    EXPECT_TRUE(dlg.IsWindowVisible()) << "Qt must not close the dialog on Esc";

    testhooks::SendKey(dlg.m_hWnd, VK_RETURN);
    EXPECT_EQ(dlg.m_nAdd, 1) << "Enter is the default button's BN_CLICKED";
    EXPECT_TRUE(dlg.IsWindowVisible());

    testhooks::ClickButton(dlg.m_btnAdd.m_hWnd);
    EXPECT_EQ(dlg.m_nAdd, 2);

    // F1 that nobody translated becomes WM_HELP, passed up from the control.
    testhooks::SendKey(dlg.m_hWnd, VK_F1);
    EXPECT_EQ(dlg.m_nHelp, 1);
    EXPECT_EQ(dlg.m_nHelpCtrl, int(IDC_TEXT));
    dlg.DestroyWindow();
}

TEST_F(CoreTest, MenuStateChecksAndCommandsByIdAnywhereInTheTree)
{
    CMainTestDlg dlg;
    CMenu* menu = dlg.GetMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->GetMenuItemCount(), 2);
    EXPECT_EQ(menu->GetMenuState(ID_DESCENDING, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED)
        << "check mark from the template, in a submenu";
    EXPECT_EQ(menu->GetMenuState(ID_NEW, MF_BYCOMMAND), MF_UNCHECKED);
    EXPECT_EQ(menu->GetMenuState(4242, MF_BYCOMMAND), UINT(-1));
    EXPECT_EQ(menu->CheckMenuItem(4242, MF_CHECKED), UINT(-1));

    EXPECT_EQ(CheckMenuItem(::GetMenu(dlg.m_hWnd), ID_DESCENDING, MF_BYCOMMAND | MF_UNCHECKED), MF_CHECKED);
    EXPECT_EQ(GetMenuState(::GetMenu(dlg.m_hWnd), ID_DESCENDING, MF_BYCOMMAND) & MF_CHECKED, 0u);
    EXPECT_EQ(menu->CheckMenuItem(ID_NEW, MF_CHECKED), MF_UNCHECKED);
    EXPECT_EQ(menu->GetMenuState(ID_NEW, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);

    CMenu* file = menu->GetSubMenu(0);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->GetMenuItemCount(), 4);
    EXPECT_EQ(file->GetMenuItemID(1), 0u) << "separator";
    EXPECT_EQ(file->GetMenuState(1, MF_BYPOSITION) & MF_SEPARATOR, MF_SEPARATOR);
    CString label;
    file->GetMenuString(ID_NEW, label, MF_BYCOMMAND);
    EXPECT_EQ(label, "&Nytt meddelande\tF2");

    // The text after the tab is only shown: no Qt shortcut may steal the key.
    for (QAction* a : Widget(dlg.m_hWnd)->findChildren<QAction*>())
        EXPECT_TRUE(a->shortcut().isEmpty()) << a->text().toStdString();

    // A click on the entry is the command; Qt's own toggle is undone.
    EXPECT_TRUE(testhooks::ClickMenuItem(dlg.m_hWnd, ID_NEW));
    EXPECT_EQ(dlg.m_nNew, 1);
    EXPECT_EQ(menu->GetMenuState(ID_NEW, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
    menu->EnableMenuItem(ID_EXIT, MF_BYCOMMAND | MF_GRAYED);
    EXPECT_FALSE(testhooks::ClickMenuItem(dlg.m_hWnd, ID_EXIT));
    EXPECT_EQ(dlg.m_nExit, 0);
    dlg.DestroyWindow();
}

TEST_F(CoreTest, TheSystemMenuTakesAppendedEntriesThatSendSysCommands)
{
    CMainTestDlg dlg;
    CMenu* sys = dlg.GetSystemMenu(FALSE);
    ASSERT_NE(sys, nullptr);
    int before = sys->GetMenuItemCount();
    EXPECT_TRUE(sys->AppendMenu(MF_SEPARATOR));
    EXPECT_TRUE(sys->AppendMenu(MF_STRING, 0x0010, "&Om Talvo..."));
    EXPECT_EQ(sys->GetMenuItemCount(), before + 2);
    EXPECT_EQ(dlg.GetSystemMenu(FALSE), sys) << "one system menu per window";

    EXPECT_TRUE(testhooks::ClickSystemMenuItem(dlg.m_hWnd, 0x0010));
    ASSERT_EQ(dlg.m_sysCommands.size(), 1u);
    EXPECT_EQ(dlg.m_sysCommands[0], 0x0010u);

    // The default close entry ends in WM_CLOSE.
    EXPECT_TRUE(testhooks::ClickSystemMenuItem(dlg.m_hWnd, SC_CLOSE));
    EXPECT_EQ(dlg.m_nClose, 1);
    EXPECT_TRUE(IsWindow(dlg.m_hWnd));
    dlg.DestroyWindow();
}

TEST_F(CoreTest, CloseButtonSendsWmCloseAndMinimisingSendsSizeMinimized)
{
    CMainTestDlg dlg;
    dlg.ShowWindow(SW_RESTORE);
    testhooks::ClickClose(dlg.m_hWnd);
    testhooks::ProcessEvents();
    EXPECT_EQ(dlg.m_nClose, 1);
    EXPECT_TRUE(IsWindow(dlg.m_hWnd)) << "the window stays until DestroyWindow";
    EXPECT_TRUE(dlg.IsWindowVisible());

    testhooks::ClickMinimize(dlg.m_hWnd);
    testhooks::ProcessEvents();
    ASSERT_FALSE(dlg.m_sizes.empty());
    EXPECT_EQ(dlg.m_sizes.back(), SIZE_MINIMIZED);
    EXPECT_FALSE(dlg.IsWindowVisible()) << "the handler hid the window";

    dlg.ShowWindow(SW_RESTORE);
    testhooks::ProcessEvents();
    EXPECT_TRUE(dlg.IsWindowVisible());
    EXPECT_FALSE(dlg.IsIconic());
    EXPECT_EQ(dlg.m_sizes.back(), SIZE_RESTORED);

    // Minimising again works the same way after a restore.
    dlg.ShowWindow(SW_MINIMIZE);
    testhooks::ProcessEvents();
    EXPECT_EQ(std::count(dlg.m_sizes.begin(), dlg.m_sizes.end(), SIZE_MINIMIZED), 2);
    EXPECT_FALSE(dlg.IsWindowVisible());
    dlg.DestroyWindow();
}

TEST_F(CoreTest, DestroyWindowSendsDestroyThenNcDestroyAndDetachesControls)
{
    std::vector<std::string> log;
    auto* dlg = new CMainTestDlg;
    dlg->m_pLog = &log;
    dlg->m_bDeleteOnNcDestroy = true;
    HWND h = dlg->m_hWnd;
    HWND hButton = dlg->m_btnAdd.m_hWnd;
    ASSERT_TRUE(IsWindow(hButton));
    EXPECT_TRUE(::DestroyWindow(h));
    EXPECT_EQ(log, (std::vector<std::string>{"WM_DESTROY", "PostNcDestroy"}));
    EXPECT_FALSE(IsWindow(h));
    EXPECT_FALSE(IsWindow(hButton));
    EXPECT_FALSE(::DestroyWindow(h)) << "a second destroy is refused";
    EXPECT_EQ(::SendMessage(h, WM_COMMAND, ID_NEW, 0), 0);
    testhooks::ProcessEvents();
}

TEST_F(CoreTest, WaitCursorNests)
{
    CCmdTarget target;
    target.BeginWaitCursor();
    target.BeginWaitCursor();
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    target.EndWaitCursor();
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
    target.EndWaitCursor();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    target.EndWaitCursor();  // unbalanced end is harmless
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    {
        CWaitCursor wait;
        EXPECT_NE(QApplication::overrideCursor(), nullptr);
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// Every key typed into the program or the hot-key field that has a virtual
// key can be turned back into a key and into a keysym for the global grab.
TEST(KeyMapTest, EveryMappedKeyHasAKeyAndAKeysymBack)
{
    std::vector<int> keys;
    for (int k = 0x20; k <= 0xff; ++k)
        keys.push_back(k);
    for (int k = Qt::Key_Escape; k <= Qt::Key_ScrollLock; ++k)
        keys.push_back(k);
    for (int k = Qt::Key_F1; k <= Qt::Key_F24; ++k)
        keys.push_back(k);
    for (int k = Qt::Key_Dead_Grave; k <= Qt::Key_Dead_Diaeresis; ++k)
        keys.push_back(k);
    keys.push_back(Qt::Key_Meta);
    keys.push_back(Qt::Key_Menu);
    int mapped = 0;
    for (int key : keys) {
        for (int modifiers : {0, int(Qt::KeypadModifier)}) {
            const UINT vk = AfxVirtualKeyFromQtKey(key, modifiers);
            if (vk == 0)
                continue;
            ++mapped;
            EXPECT_NE(AfxQtKeyFromVirtualKey(vk), 0) << "key " << key;
            EXPECT_FALSE(AfxKeysymsFromVirtualKey(vk).empty()) << "key " << key << " vk " << vk;
        }
    }
    EXPECT_GT(mapped, 100);
    // Without an X keyboard to ask, the layout is the program's own: Swedish.
    EXPECT_EQ(AfxVirtualKeyFromQtKey(Qt::Key_Odiaeresis, 0), UINT(VK_OEM_3));
    EXPECT_EQ(AfxVirtualKeyFromQtKey(Qt::Key_Adiaeresis, 0), UINT(VK_OEM_7));
    EXPECT_EQ(AfxVirtualKeyFromQtKey(Qt::Key_Aring, 0), UINT(VK_OEM_6));
    EXPECT_EQ(AfxKeysymsFromVirtualKey(VK_OEM_3), std::vector<unsigned>{0xf6});
    EXPECT_EQ(AfxVirtualKeyFromQtKey(Qt::Key_Plus, int(Qt::KeypadModifier)), UINT(VK_ADD));
    EXPECT_EQ(AfxVirtualKeyFromQtKey(Qt::Key_Plus, 0), UINT(VK_OEM_PLUS));
}
