#pragma once
// The command line: the data file to open, or a request the program answers
// without opening, creating or remembering any list.

#include "platform/Afx.h"

#include <string>
#include <vector>

struct CCommandLine {
    enum Action { Run,
                  Help,
                  Version,
                  Error };
    Action action = Run;
    // Run: the list named, or empty. Error: the first wrong argument.
    CString file;
    // Error: the message (without the usage text).
    CString error;
};

// "-h", "--help" and "/?" ask for the usage, "--version" for the version;
// any other argument starting with "-" is an error; "--" ends the options.
// The remaining arguments, joined by single blanks, name one list, so that a
// name with blanks needs no quotes; several arguments that each name an
// existing file, where their join names none, are an error.
CCommandLine ParseCommandLine(const std::vector<std::string>& args);

// Says what a request asks for, or why the command line is wrong: on the
// standard output or error, and in a message box where no terminal shows the
// error (a desktop launcher). Returns the exit status: 0 or 2.
int ReportCommandLine(const CCommandLine& cmd);
