#include "mainwnd/CommandLine.h"

#include "mainwnd/DataFile.h"
#include "res/resource.h"
#include "support/ShellHelpers.h"

namespace {

bool IsOption(const std::string& arg) { return !arg.empty() && arg[0] == '-'; }

CString LoadText(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

CString Usage()
{
    const CWinApp* app = AfxGetApp();
    CString usage;
    usage.Format(LoadText(IDS_CMDLINE_USAGE), app && app->m_pszExeName ? app->m_pszExeName : "talvo");
    return usage;
}

}  // namespace

CCommandLine ParseCommandLine(const std::vector<std::string>& args)
{
    CCommandLine cmd;
    std::vector<std::string> names;
    bool options = true;
    for (const std::string& arg : args) {
        if (options && arg == "--") {
            options = false;
        } else if (options && (arg == "-h" || arg == "--help" || arg == "/?")) {
            cmd.action = CCommandLine::Help;
            return cmd;
        } else if (options && arg == "--version") {
            cmd.action = CCommandLine::Version;
            return cmd;
        } else if (options && IsOption(arg)) {
            cmd.action = CCommandLine::Error;
            cmd.file = arg.c_str();
            cmd.error.Format(LoadText(IDS_CMDLINE_UNKNOWN), arg.c_str());
            return cmd;
        } else {
            names.push_back(arg);
        }
    }
    std::string joined;
    for (const std::string& name : names)
        joined += (joined.empty() ? "" : " ") + name;
    // "talvo My list.tlv" names one file; "talvo a.tlv b.tlv", where both
    // exist and "a.tlv b.tlv" does not, asks for two lists at once.
    if (names.size() > 1 && !FileExists(joined.c_str())) {
        std::vector<const std::string*> existing;
        for (const std::string& name : names)
            if (FileExists(name.c_str()))
                existing.push_back(&name);
        if (existing.size() > 1) {
            cmd.action = CCommandLine::Error;
            cmd.file = existing[1]->c_str();
            cmd.error.Format(LoadText(IDS_CMDLINE_MANY), existing[0]->c_str(), existing[1]->c_str());
            return cmd;
        }
    }
    if (!joined.empty() && IsFolder(joined.c_str())) {
        cmd.action = CCommandLine::Error;
        cmd.file = joined.c_str();
        cmd.error.Format(LoadText(IDS_CMDLINE_FOLDER), joined.c_str());
        return cmd;
    }
    cmd.file = joined.c_str();
    return cmd;
}

int ReportCommandLine(const CCommandLine& cmd)
{
    switch (cmd.action) {
    case CCommandLine::Run:
        return 0;
    case CCommandLine::Help:
    case CCommandLine::Version: {
        const CString text = cmd.action == CCommandLine::Help ? Usage() : LoadText(IDS_VERSION) + "\n";
        if (!AfxWriteStandardStream(text, FALSE))
            AfxMessageBox(text, MB_OK | MB_ICONINFORMATION);
        return 0;
    }
    case CCommandLine::Error:
        break;
    }
    const CWinApp* app = AfxGetApp();
    CString line;
    line.Format("%s: %s\n\n", app && app->m_pszExeName ? app->m_pszExeName : "talvo", cmd.error.GetString());
    const BOOL written = AfxWriteStandardStream(line + Usage(), TRUE);
    if (!written || !AfxStandardStreamIsTerminal(TRUE))
        AfxMessageBox(cmd.error + "\n\n" + Usage(), MB_OK | MB_ICONSTOP);
    return 2;
}
