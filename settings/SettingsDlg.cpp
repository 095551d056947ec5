#include "settings/SettingsDlg.h"

#include "platform/CommonDialogs.h"
#include "platform/FileSystem.h"
#include "res/resource.h"
#include "settings/SettingsStore.h"
#include "support/ShellHelpers.h"

namespace {

// The stored bit of the Windows key in the hotkey modifiers.
constexpr WORD kWindowsKeyBit = 8;

}  // namespace

BEGIN_MESSAGE_MAP(CSettingsDlg, CDialog)
    ON_WM_HELPINFO()
    ON_BN_CLICKED(IDC_DOREMIND, OnRemindClicked)
    ON_BN_CLICKED(IDC_AUTOSTART, OnAutoStart)
    ON_BN_CLICKED(IDC_PLAYSOUND, OnPlaySoundClicked)
    ON_BN_CLICKED(IDC_BROWSESOUND, OnBrowseSound)
    ON_BN_CLICKED(IDC_TESTSOUND, OnTestSound)
END_MESSAGE_MAP()

CSettingsDlg::CSettingsDlg() : CDialog(IDD_SETTINGS, nullptr) {}

CSettingsDlg::~CSettingsDlg() = default;

void CSettingsDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SPIN_DEFAULTPUSHTIME, m_spinDefaultPushTime);
    DDX_Control(pDX, IDC_SPIN_REMINDTIME, m_spinRemindTime);
    DDX_Control(pDX, IDC_HOTKEY, m_hotKeyCtrl);
    DDX_Control(pDX, IDC_SPIN_DEFAULTTIMEADD, m_spinDefaultTimeAdd);
    DDX_Check(pDX, IDC_DOALARM, m_bDoAlarm);
    DDX_Check(pDX, IDC_DEFAULTREMIND, m_bDefaultRemind);
    DDX_Text(pDX, IDC_DEFAULTTEXT, m_strDefaultText);
    DDX_Text(pDX, IDC_DEFAULTTIMEADD, m_nDefaultTimeAdd);
    DDV_MinMaxInt(pDX, m_nDefaultTimeAdd, 0, 2147483647);
    DDX_Check(pDX, IDC_WINDOWSKEY, m_bWindowsKey);
    DDX_Check(pDX, IDC_STARTMINIMIZED, m_bStartMinimized);
    DDX_Check(pDX, IDC_DOREMIND, m_bDoRemind);
    DDX_Text(pDX, IDC_REMINDTIME, m_nRemindTime);
    DDV_MinMaxInt(pDX, m_nRemindTime, 1, 2147483647);
    DDX_Check(pDX, IDC_BLINKONALARM, m_bBlinkOnAlarm);
    DDX_Check(pDX, IDC_PLAYSOUND, m_bPlaySound);
    DDX_Text(pDX, IDC_SOUNDFILE, m_strSoundFileAlarm);
    DDX_Check(pDX, IDC_DEFAULTPUSH, m_bDefaultPush);
    DDX_Text(pDX, IDC_DEFAULTPUSHTIME, m_nDefaultPushTime);
    DDX_Check(pDX, IDC_PUSHONMINIMIZE, m_bPushOnMinimize);
    DDX_Check(pDX, IDC_VIEWPUSHTIME, m_bViewPushTime);
    DDX_Check(pDX, IDC_AUTOSAVE, m_bAutoSave);
}

BOOL CSettingsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_spinDefaultTimeAdd.SetRange32(0, 2147483647);
    m_spinRemindTime.SetRange32(1, 2147483647);
    m_spinDefaultPushTime.SetRange32(1, 2147483647);

    const CReminderData& data = *m_pData;
    const CReminderList& list = data.m_reminderList;
    m_bDoAlarm = data.m_bDoAlarm;
    m_bViewPushTime = data.m_bViewPushTime;
    m_nDefaultTimeAdd = list.m_nDefaultTimeAdd;
    m_bDefaultRemind = list.m_bDefaultRemind;
    m_strDefaultText = list.m_strDefaultText.c_str();
    m_bDefaultPush = list.m_bDefaultPush;
    m_nDefaultPushTime = list.m_nDefaultPushTime;
    m_bAutoSave = data.m_bAutoSave;
    m_bStartMinimized = data.m_bStartMinimized;
    m_bPushOnMinimize = data.m_bPushOnMinimize;
    m_nRemindTime = data.m_nRemindTime;
    m_bDoRemind = data.m_bDoRemind;
    m_bBlinkOnAlarm = data.m_bBlinkOnAlarm;
    m_bPlaySound = data.m_bPlaySound;
    m_strSoundFileAlarm = data.m_strSoundFileAlarm;

    if (data.m_wHotModifier & kWindowsKeyBit) {
        m_hotKeyCtrl.SetHotKey(WORD(data.m_wHotKey & 0xFF), WORD((data.m_wHotModifier - kWindowsKeyBit) & 0xFF));
        m_bWindowsKey = TRUE;
    } else {
        m_hotKeyCtrl.SetHotKey(WORD(data.m_wHotKey & 0xFF), WORD(data.m_wHotModifier & 0xFF));
        m_bWindowsKey = FALSE;
    }

    UpdateData(FALSE);
    OnPlaySoundClicked();
    OnRemindClicked();
    return TRUE;
}

void CSettingsDlg::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    CReminderData& data = *m_pData;
    CReminderList& list = data.m_reminderList;
    list.m_nDefaultTimeAdd = m_nDefaultTimeAdd;
    list.m_bDefaultRemind = m_bDefaultRemind != FALSE;
    list.m_strDefaultText = m_strDefaultText.str();
    list.m_bDefaultPush = m_bDefaultPush != FALSE;
    list.m_nDefaultPushTime = std::int32_t(m_nDefaultPushTime);

    data.m_bDoAlarm = m_bDoAlarm != FALSE;
    data.m_bAutoSave = m_bAutoSave != FALSE;
    data.m_bStartMinimized = m_bStartMinimized != FALSE;
    data.m_bPushOnMinimize = m_bPushOnMinimize != FALSE;
    data.m_bViewPushTime = m_bViewPushTime != FALSE;
    data.m_bDoRemind = m_bDoRemind != FALSE;
    data.m_nRemindTime = m_nRemindTime;
    data.m_bBlinkOnAlarm = m_bBlinkOnAlarm != FALSE;
    data.m_bPlaySound = m_bPlaySound != FALSE;
    data.m_strSoundFileAlarm = m_strSoundFileAlarm;

    WORD key = 0, modifiers = 0;
    m_hotKeyCtrl.GetHotKey(key, modifiers);
    data.m_wHotKey = key;
    data.m_wHotModifier = modifiers;
    if (m_bWindowsKey)
        data.m_wHotModifier = WORD(data.m_wHotModifier + kWindowsKeyBit);
    Trace("Hotkey2 key: %d mod: %d\n", data.m_wHotKey, data.m_wHotModifier);
    EndDialog(IDOK);
}

void CSettingsDlg::OnRemindClicked()
{
    Trace("Enable/disable remind time.\n");
    UpdateData(TRUE);
    if (CWnd* field = GetDlgItem(IDC_REMINDTIME))
        field->EnableWindow(m_bDoRemind);
    UpdateData(FALSE);
}

void CSettingsDlg::OnPlaySoundClicked()
{
    UpdateData(TRUE);
    for (int id : {IDC_SOUNDFILE, IDC_BROWSESOUND})
        if (CWnd* w = GetDlgItem(id))
            w->EnableWindow(m_bPlaySound);
}

void CSettingsDlg::OnBrowseSound()
{
    Trace("Browse for soundfile\n");
    CString filter;
    filter.LoadString(IDS_SOUND_FILTER);
    UpdateData(TRUE);
    Trace("Show opendialog for sound files\n");
    const CString stored = m_pData->m_strSoundFileAlarm;
    if (ShowFileDialog(m_strSoundFileAlarm, true, m_hWnd, stored, stored, OFN_HIDEREADONLY, filter, nullptr,
                       nullptr, nullptr, 260))
        UpdateData(FALSE);
}

void CSettingsDlg::OnTestSound()
{
    UpdateData(TRUE);
    const CString path = SoundFilePath(m_strSoundFileAlarm);
    Trace("Start playing sound, file: %s\n", path.GetString());
    if (!PlaySoundA(path, nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT)) {
        Trace("Couldn't play sound\n");
        CString text;
        text.LoadString(IDS_SOUND_FAILED);
        MessageBox(text, nullptr, MB_ICONEXCLAMATION);
    }
}

void CSettingsDlg::OnAutoStart()
{
    // The running program file itself, named as its system names programs.
    const CString target = GetProgramPath(false);
    CString name;
    name.LoadString(IDS_SHORTCUT_NAME);
    const CString link = JoinPath(GetSpecialFolderPath(CSIDL_STARTUP), name);
    CString format, text;
    format.LoadString(IDS_ASK_SHORTCUT);
    text.Format(format, link.GetString(), target.GetString());
    if (MessageBox(text, nullptr, MB_YESNO | MB_ICONINFORMATION) != IDYES)
        return;
    CWaitCursor wait;
    if (CreateShortcut(target, link)) {
        Trace("Creating shortcut successful.\n");
        text.LoadString(IDS_SHORTCUT_CREATED);
        MessageBox(text, nullptr, MB_ICONINFORMATION);
    } else {
        Trace("Creating shortcut failed.\n");
        text.LoadString(IDS_SHORTCUT_FAILED);
        MessageBox(text, nullptr, MB_ICONEXCLAMATION);
    }
}

BOOL CSettingsDlg::OnHelpInfo(HELPINFO*)
{
    OpenReadMe("ReadMe.txt");
    return FALSE;
}
