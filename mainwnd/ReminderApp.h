#pragma once
// The application object: creates the main window and runs the message loop.

#include "platform/Afx.h"

#include <string>

class CReminderApp : public CWinApp {
public:
    CReminderApp();
    ~CReminderApp() override;

    BOOL InitInstance() override;
    // Lets the menu's shortcut keys work while the focus is in a control.
    BOOL ProcessMessageFilter(int code, LPMSG lpMsg) override;

protected:
    DECLARE_MESSAGE_MAP()

private:
    std::string m_strFileArgument;  // what m_lpCmdLine points to after the options are read
};
