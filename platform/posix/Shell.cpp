#include "platform/Shell.h"

#include "platform/posix/Seams.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

HINSTANCE Result(long code) { return reinterpret_cast<HINSTANCE>(static_cast<std::intptr_t>(code)); }

bool IsUrl(std::string_view s)
{
    std::size_t colon = s.find(':');
    if (colon == std::string_view::npos || colon < 2)
        return false;  // "C:" style names and plain paths are files
    for (std::size_t i = 0; i < colon; ++i) {
        char c = s[i];
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                  (i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
        if (!ok)
            return false;
    }
    return true;
}

// The program a name runs: itself when it holds a '/', else the first match
// on PATH. Empty when there is none.
std::string FindProgram(const std::string& name)
{
    if (name.empty())
        return {};
    if (name.find('/') != std::string::npos)
        return ::access(name.c_str(), X_OK) == 0 ? name : std::string();
    const char* path = std::getenv("PATH");
    std::string_view rest = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        const auto colon = rest.find(':');
        std::string folder(rest.substr(0, colon));
        std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + name;
        struct stat st {};
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        if (colon == std::string_view::npos)
            return {};
        rest.remove_prefix(colon + 1);
    }
}

// Starts a program and returns at once: it runs as a grandchild, so it
// leaves no process to wait for and no zombie. 0 or an errno value.
int StartDetached(const std::vector<std::string>& args)
{
    const std::string program = FindProgram(args.front());
    if (program.empty())
        return ENOENT;
    std::vector<std::string> copy = args;
    std::vector<char*> argv;
    for (std::string& a : copy)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child < 0)
        return errno;
    if (child == 0) {
        // Only async-signal-safe calls between fork and exec.
        if (::fork() == 0) {
            ::execve(program.c_str(), argv.data(), environ);
            ::_exit(127);
        }
        ::_exit(0);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return 0;
}

}  // namespace

HINSTANCE ShellExecuteA(HWND, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR, LPCSTR lpDirectory, int)
{
    std::string_view verb = lpOperation ? lpOperation : "open";
    if (verb != "open" && verb != "explore")
        return Result(SE_ERR_NOASSOC);
    if (!lpFile || !*lpFile)
        return Result(ERROR_FILE_NOT_FOUND);

    std::string target = lpFile;
    // "URL:" names the shell's URL moniker; the address follows it.
    if (target.size() > 4 && (target.compare(0, 4, "URL:") == 0 || target.compare(0, 4, "url:") == 0))
        target.erase(0, 4);
    if (!IsUrl(target)) {
        if (target.front() != '/' && lpDirectory && *lpDirectory)
            target = std::string(lpDirectory) + "/" + target;
        struct stat st {};
        if (::stat(target.c_str(), &st) != 0) {
            if (errno == ENOENT) {
                std::size_t slash = target.find_last_of('/');
                std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
                struct stat fst {};
                return Result(::stat(folder.c_str(), &fst) == 0 ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
            }
            return Result(errno == EACCES ? SE_ERR_ACCESSDENIED : ERROR_PATH_NOT_FOUND);
        }
        // The opener takes a name starting with '-' as an option.
        if (target.front() != '/') {
            char cwd[4096];
            if (::getcwd(cwd, sizeof cwd))
                target = std::string(cwd) + "/" + target;
        }
    }

    // The opener runs on its own: the window never waits for it (a desktop
    // without its own opener makes it wait for the browser it starts). Only
    // a missing opener is an error that can be told.
    AfxPosixSeams& seam = AfxPosixSeam();
    std::vector<std::string> args{seam.shellOpener.empty() ? std::string("xdg-open") : seam.shellOpener, target};
    if (seam.recording)
        seam.openerRuns.push_back(args);
    const int rc = StartDetached(args);
    if (rc != 0)
        return Result(rc == ENOMEM ? SE_ERR_OOM : SE_ERR_NOASSOC);
    return Result(42);
}

std::vector<std::string> AfxSplitCommandLine(const char* line)
{
    std::vector<std::string> args;
    const std::string_view text = line ? line : "";
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (true) {
        while (i < n && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        if (i >= n)
            return args;
        std::string arg;
        bool quoted = false;
        while (i < n && (quoted || (text[i] != ' ' && text[i] != '\t'))) {
            if (text[i] == '\\') {
                std::size_t end = i;
                while (end < n && text[end] == '\\')
                    ++end;
                const std::size_t count = end - i;
                if (end < n && text[end] == '"') {
                    // 2n backslashes before a quote: n of them, and the quote
                    // groups; 2n+1: n of them and a quote of the argument.
                    arg.append(count / 2, '\\');
                    i = count % 2 ? end + 1 : end;
                    if (count % 2)
                        arg += '"';
                } else {
                    arg.append(count, '\\');
                    i = end;
                }
            } else if (text[i] == '"') {
                if (quoted && i + 1 < n && text[i + 1] == '"') {
                    arg += '"';  // "" inside quotes is one quote
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                arg += text[i++];
            }
        }
        args.push_back(arg);
    }
}

BOOL CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine, SECURITY_ATTRIBUTES*, SECURITY_ATTRIBUTES*, BOOL,
                    DWORD, LPVOID, LPCSTR, LPSTARTUPINFOA, LPPROCESS_INFORMATION lpProcessInformation)
{
    std::vector<std::string> args = AfxSplitCommandLine(lpCommandLine);
    if (lpApplicationName && *lpApplicationName) {
        if (args.empty())
            args.emplace_back(lpApplicationName);
        else
            args.front() = lpApplicationName;
    }
    if (args.empty() || args.front().empty())
        return FALSE;
    if (AfxPosixSeam().recording)
        AfxPosixSeam().programsStarted.push_back(args);
    if (StartDetached(args) != 0)
        return FALSE;
    if (lpProcessInformation)
        *lpProcessInformation = PROCESS_INFORMATION{};
    return TRUE;
}

BOOL CloseHandle(HANDLE hObject) { return hObject ? TRUE : FALSE; }
