// Modal dialogs, data exchange and validation, message boxes.

#include "CoreTestSupport.h"

#include "platform/qt/Internal.h"
#include "platform/testhooks/TestHooks.h"

#include <gtest/gtest.h>

#include <QMessageBox>

using namespace coretest;

namespace {

class COwnerDlg : public CDialog {
public:
    COwnerDlg() { Create(IDD_MAIN); }
    int m_nTimer = 0;
    CDialog* m_pEndOnTimer = nullptr;
    void OnTimer(UINT_PTR nIDEvent)
    {
        ++m_nTimer;
        if (m_pEndOnTimer) {
            KillTimer(nIDEvent);
            m_pEndOnTimer->EndDialog(int(IDRETRY));
        }
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(COwnerDlg, CDialog)
    ON_WM_TIMER()
END_MESSAGE_MAP()

class CSettingsTestDlg : public CDialog {
public:
    explicit CSettingsTestDlg(CWnd* parent) : CDialog(IDD_MODAL, parent) {}
    long m_nValue = 5;
    CString m_strName = "namn";
    UINT m_nCount = 3;
    int m_nInit = 0;

    BOOL OnInitDialog() override
    {
        ++m_nInit;
        return CDialog::OnInitDialog();
    }
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Text(pDX, IDC_VALUE, m_nValue);
        DDV_MinMaxLong(pDX, m_nValue, 1, 100);
        DDX_Text(pDX, IDC_NAME, m_strName);
        DDV_MaxChars(pDX, m_strName, 5);
        DDX_Text(pDX, IDC_COUNT, m_nCount);
    }
};

class CCommandOwner : public CDialog {
public:
    CCommandOwner() { Create(IDD_MAIN); }
    int m_nNew = 0;
    void OnNew() { ++m_nNew; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CCommandOwner, CDialog)
    ON_COMMAND(ID_NEW, OnNew)
END_MESSAGE_MAP()

struct ModalProbe {
    HWND hOwner = nullptr;
    bool ownerEnabled = true;
    bool inModal = false;
    int initCount = 0;
    CSettingsTestDlg* dlg = nullptr;
    std::string focusAfterFail;
};

HWND Item(HWND hDlg, UINT id) { return ::GetDlgItem(hDlg, int(id)); }

class ModalTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureStarted();
        testhooks::EnableMessageBoxHook(true);
        testhooks::ClearMessageBoxes();
    }
    void TearDown() override { testhooks::ProcessEvents(); }
};

}  // namespace

TEST_F(ModalTest, DoModalDisablesTheOwnerAndReturnsOkWithTheExchangedValues)
{
    COwnerDlg owner;
    owner.ShowWindow(SW_RESTORE);
    CSettingsTestDlg dlg(&owner);
    ModalProbe probe;
    probe.hOwner = owner.m_hWnd;
    probe.dlg = &dlg;
    testhooks::QueueModalDialogAction(
        [](HWND hDlg, void* ctx) {
            auto* p = static_cast<ModalProbe*>(ctx);
            p->ownerEnabled = IsWindowEnabled(p->hOwner);
            p->inModal = AfxInModalState();
            p->initCount = p->dlg->m_nInit;
            EXPECT_EQ(testhooks::WindowText(Item(hDlg, IDC_VALUE)), "5");
            testhooks::TypeText(Item(hDlg, IDC_VALUE), " 42 ");
            testhooks::TypeText(Item(hDlg, IDC_NAME), "\xC3\xA5sa");
            testhooks::TypeText(Item(hDlg, IDC_COUNT), "4294967295");
            testhooks::ClickButton(Item(hDlg, IDOK));
        },
        &probe);
    EXPECT_EQ(dlg.DoModal(), std::intptr_t(IDOK));
    EXPECT_FALSE(probe.ownerEnabled) << "the owner is disabled while the dialog runs";
    EXPECT_TRUE(probe.inModal);
    EXPECT_EQ(probe.initCount, 1);
    EXPECT_TRUE(owner.IsWindowEnabled()) << "and enabled again afterwards";
    EXPECT_FALSE(AfxInModalState());
    EXPECT_EQ(dlg.m_nValue, 42);
    EXPECT_EQ(dlg.m_strName, "\xC3\xA5sa");
    EXPECT_EQ(dlg.m_nCount, 4294967295u);
    EXPECT_FALSE(IsWindow(dlg.m_hWnd)) << "the dialog window is gone after DoModal";
    EXPECT_TRUE(testhooks::MessageBoxes().empty());
}

TEST_F(ModalTest, EscCloseButtonAndCancelAllEndWithIdCancelAndKeepTheValues)
{
    COwnerDlg owner;
    owner.ShowWindow(SW_RESTORE);
    using Action = void (*)(HWND, void*);
    Action actions[] = {
        [](HWND hDlg, void*) {
            testhooks::TypeText(Item(hDlg, IDC_VALUE), "77");
            testhooks::SendKey(hDlg, VK_ESCAPE);
        },
        [](HWND hDlg, void*) { testhooks::ClickClose(hDlg); },
        [](HWND hDlg, void*) { testhooks::ClickButton(Item(hDlg, IDCANCEL)); },
    };
    for (Action a : actions) {
        CSettingsTestDlg dlg(&owner);
        testhooks::QueueModalDialogAction(a);
        EXPECT_EQ(dlg.DoModal(), std::intptr_t(IDCANCEL));
        EXPECT_EQ(dlg.m_nValue, 5) << "Cancel writes nothing back";
        EXPECT_TRUE(owner.IsWindowEnabled());
    }
}

TEST_F(ModalTest, EnterInAnEditIsOk)
{
    COwnerDlg owner;
    CSettingsTestDlg dlg(&owner);
    testhooks::QueueModalDialogAction([](HWND hDlg, void*) {
        CWnd::FromHandle(Item(hDlg, IDC_VALUE))->SetFocus();
        testhooks::TypeText(Item(hDlg, IDC_VALUE), "9");
        testhooks::SendKey(hDlg, VK_RETURN);
    });
    EXPECT_EQ(dlg.DoModal(), std::intptr_t(IDOK));
    EXPECT_EQ(dlg.m_nValue, 9);
}

TEST_F(ModalTest, AcceleratorsOfTheOwnerDoNotFireWhileAModalDialogRuns)
{
    CCommandOwner owner;
    owner.ShowWindow(SW_RESTORE);
    g_hMainWnd = owner.m_hWnd;
    testhooks::SendKey(owner.m_hWnd, VK_F2);
    EXPECT_EQ(owner.m_nNew, 1);
    CSettingsTestDlg dlg(&owner);
    testhooks::QueueModalDialogAction([](HWND hDlg, void*) {
        testhooks::SendKey(hDlg, VK_F2);
        testhooks::ClickButton(Item(hDlg, IDCANCEL));
    });
    EXPECT_EQ(dlg.DoModal(), std::intptr_t(IDCANCEL));
    EXPECT_EQ(owner.m_nNew, 1) << "no main-window command while its modal dialog runs";
    testhooks::SendKey(owner.m_hWnd, VK_F2);
    EXPECT_EQ(owner.m_nNew, 2);
    g_hMainWnd = nullptr;
}

TEST_F(ModalTest, TimersKeepFiringDuringAModalLoop)
{
    COwnerDlg owner;
    CSettingsTestDlg dlg(&owner);
    owner.m_pEndOnTimer = &dlg;
    ASSERT_NE(owner.SetTimer(5, 20), 0u);
    EXPECT_EQ(dlg.DoModal(), std::intptr_t(IDRETRY)) << "the owner's timer ended the dialog";
    EXPECT_EQ(owner.m_nTimer, 1);
}

TEST_F(ModalTest, ValidationFailuresShowTheSwedishPromptAndKeepTheFocusOnTheField)
{
    COwnerDlg owner;
    struct Case {
        UINT id;
        const char* text;
        const char* prompt;
    };
    static const Case cases[] = {
        {IDC_VALUE, "abc", "Ange ett heltal."},
        {IDC_VALUE, "", "Ange ett heltal."},
        {IDC_VALUE, "2147483648", "Ange ett heltal."},
        {IDC_VALUE, "500", "Ange ett heltal mellan 1 och 100."},
        {IDC_NAME, "\xC3\xA5\xC3\xA4\xC3\xB6", "Ange h\xC3\xB6gst 5 tecken."},  // 6 bytes
        {IDC_COUNT, "-1", "Ange ett heltal."},
    };
    for (const Case& c : cases) {
        testhooks::ClearMessageBoxes();
        CSettingsTestDlg dlg(&owner);
        static const Case* s_case;
        static bool s_updateResult;
        s_case = &c;
        testhooks::QueueModalDialogAction(
            [](HWND hDlg, void* ctx) {
                auto* d = static_cast<CSettingsTestDlg*>(ctx);
                testhooks::TypeText(Item(hDlg, s_case->id), s_case->text);
                CWnd::FromHandle(Item(hDlg, IDOK))->SetFocus();
                s_updateResult = d->UpdateData(TRUE);
                testhooks::ClickButton(Item(hDlg, IDOK));  // fails again, stays open
                EXPECT_TRUE(IsWindow(hDlg));
                EXPECT_TRUE(IsWindowVisible(hDlg));
                testhooks::ClickButton(Item(hDlg, IDCANCEL));
            },
            &dlg);
        EXPECT_EQ(dlg.DoModal(), std::intptr_t(IDCANCEL)) << c.text;
        EXPECT_FALSE(s_updateResult) << c.text;
        ASSERT_EQ(testhooks::MessageBoxes().size(), 2u) << c.text;
        const testhooks::MessageBoxRecord& box = testhooks::MessageBoxes()[0];
        EXPECT_EQ(box.text, c.prompt);
        EXPECT_EQ(box.caption, "Talvo");
        EXPECT_EQ(box.type & MB_ICONMASK, MB_ICONEXCLAMATION);
        EXPECT_EQ(box.buttons, (std::vector<std::string>{"OK"}));
    }
}

TEST_F(ModalTest, MaxCharsAlsoLimitsTheEdit)
{
    COwnerDlg owner;
    CSettingsTestDlg dlg(&owner);
    testhooks::QueueModalDialogAction([](HWND hDlg, void*) {
        testhooks::TypeText(Item(hDlg, IDC_NAME), "sexbok");
        EXPECT_EQ(testhooks::WindowText(Item(hDlg, IDC_NAME)), "sexbo");
        testhooks::ClickButton(Item(hDlg, IDOK));
    });
    EXPECT_EQ(dlg.DoModal(), std::intptr_t(IDOK));
    EXPECT_EQ(dlg.m_strName, "sexbo");
}

TEST_F(ModalTest, AFailedFieldGetsTheFocus)
{
    COwnerDlg owner;
    CSettingsTestDlg dlg(&owner);
    static HWND s_focus, s_field;
    testhooks::QueueModalDialogAction(
        [](HWND hDlg, void* ctx) {
            auto* d = static_cast<CSettingsTestDlg*>(ctx);
            s_field = Item(hDlg, IDC_COUNT);
            testhooks::TypeText(s_field, "x");
            CWnd::FromHandle(Item(hDlg, IDOK))->SetFocus();
            EXPECT_FALSE(d->UpdateData(TRUE));
            s_focus = testhooks::FocusWindow();
            d->EndDialog(int(IDCANCEL));
        },
        &dlg);
    dlg.DoModal();
    EXPECT_EQ(s_focus, s_field);
}

TEST_F(ModalTest, MessageBoxesHaveSwedishButtonsDefaultsAndTheAppCaption)
{
    COwnerDlg owner;
    int r = MessageBoxA(owner.m_hWnd, "Vill du spara?", nullptr, MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON3);
    EXPECT_EQ(r, int(IDCANCEL)) << "no queued answer: the default button";
    ASSERT_EQ(testhooks::MessageBoxes().size(), 1u);
    const auto& box = testhooks::MessageBoxes()[0];
    EXPECT_EQ(box.text, "Vill du spara?");
    EXPECT_EQ(box.caption, "Talvo");
    EXPECT_EQ(box.buttons, (std::vector<std::string>{"Ja", "Nej", "Avbryt"}));
    EXPECT_EQ(box.type, MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON3);
    EXPECT_EQ(box.owner, owner.m_hWnd);

    testhooks::QueueMessageBoxAnswer(IDNO);
    EXPECT_EQ(owner.MessageBox("Fel", "Egen rubrik", MB_YESNO | MB_DEFBUTTON2), int(IDNO));
    EXPECT_EQ(testhooks::MessageBoxes().back().caption, "Egen rubrik");

    // An answer the box cannot give falls back to its default.
    testhooks::QueueMessageBoxAnswer(IDYES);
    EXPECT_EQ(AfxMessageBox("Klart.", MB_OK), int(IDOK));
    EXPECT_EQ(testhooks::MessageBoxes().back().buttons, (std::vector<std::string>{"OK"}));

    testhooks::QueueMessageBoxAnswer(IDIGNORE);
    EXPECT_EQ(AfxMessageBox("\xE5tg\xE4rd", MB_ABORTRETRYIGNORE), int(IDIGNORE));
    EXPECT_EQ(testhooks::MessageBoxes().back().text, "\xC3\xA5tg\xC3\xA4rd") << "Windows-1252 shown decoded";
    EXPECT_EQ(testhooks::MessageBoxes().back().buttons,
              (std::vector<std::string>{"Avbryt", "F\xC3\xB6rs\xC3\xB6k igen", "Ignorera"}));
    EXPECT_EQ(MessageBoxA(nullptr, "x", nullptr, MB_RETRYCANCEL | MB_DEFBUTTON2), int(IDCANCEL));
    EXPECT_EQ(AfxMessageBox(101u, MB_OKCANCEL), int(IDOK));
    EXPECT_EQ(testhooks::MessageBoxes().back().text, "&Om Talvo...");
}
