#pragma once
// The settings dialog: edits copies of the options and of the default-message
// values, and writes them back to the main window's data only on OK.

#include "model/ReminderData.h"
#include "platform/Afx.h"

class CSettingsDlg : public CDialog {
public:
    CSettingsDlg();
    ~CSettingsDlg() override;

    CReminderData* m_pData = nullptr;  // set by the caller before DoModal
    CSpinButtonCtrl m_spinDefaultPushTime;
    CSpinButtonCtrl m_spinRemindTime;
    CHotKeyCtrl m_hotKeyCtrl;
    CSpinButtonCtrl m_spinDefaultTimeAdd;
    BOOL m_bDoAlarm = FALSE;
    BOOL m_bDefaultRemind = FALSE;
    CString m_strDefaultText;
    int m_nDefaultTimeAdd = 0;
    BOOL m_bWindowsKey = FALSE;
    BOOL m_bStartMinimized = FALSE;
    BOOL m_bDoRemind = FALSE;
    int m_nRemindTime = 0;
    BOOL m_bBlinkOnAlarm = FALSE;
    BOOL m_bPlaySound = FALSE;
    CString m_strSoundFileAlarm;
    BOOL m_bDefaultPush = FALSE;
    long m_nDefaultPushTime = 0;
    BOOL m_bPushOnMinimize = FALSE;
    BOOL m_bViewPushTime = FALSE;
    BOOL m_bAutoSave = FALSE;

    BOOL OnInitDialog() override;
    void OnOK() override;

    void OnRemindClicked();
    void OnPlaySoundClicked();
    void OnAutoStart();
    void OnBrowseSound();
    void OnTestSound();
    BOOL OnHelpInfo(HELPINFO* pHelpInfo);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    DECLARE_MESSAGE_MAP()
};
