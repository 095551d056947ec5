#pragma once
// The About box: name and version, the maker's two links and the ReadMe link.

#include "support/HyperLink.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();
    ~CAboutDlg() override;

    CHyperLink m_linkReadMe;
    CHyperLink m_linkWeb;
    CHyperLink m_linkMail;

    BOOL OnInitDialog() override;
    BOOL OnHelpInfo(HELPINFO* pHelpInfo);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    DECLARE_MESSAGE_MAP()
};
