#include "platform/Shell.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string_view>
#include <thread>

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// How long ShellExecuteA waits for the opener to report a failure before it
// takes the start as accepted (a desktop's opener hands over and exits quickly).
constexpr auto kOpenerGrace = std::chrono::milliseconds(1500);

std::string g_opener;
std::vector<std::vector<std::string>> g_runs;
std::vector<pid_t> g_pending;  // openers and programs still running, reaped later
std::vector<std::vector<std::string>> g_started;

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

void ReapFinished()
{
    for (auto it = g_pending.begin(); it != g_pending.end();) {
        int status = 0;
        pid_t r = ::waitpid(*it, &status, WNOHANG);
        if (r == *it || (r < 0 && errno == ECHILD))
            it = g_pending.erase(it);
        else
            ++it;
    }
}

// Maps the opener's exit status (xdg-open: 1 syntax, 2 file missing, 3 no tool, 4 failed).
long ErrorFromOpenerStatus(int status)
{
    if (!WIFEXITED(status))
        return SE_ERR_NOASSOC;
    switch (WEXITSTATUS(status)) {
    case 0: return 42;
    case 2: return ERROR_FILE_NOT_FOUND;
    default: return SE_ERR_NOASSOC;
    }
}

} // namespace

HINSTANCE ShellExecuteA(HWND, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR, LPCSTR lpDirectory, int)
{
    ReapFinished();
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
        struct stat st{};
        if (::stat(target.c_str(), &st) != 0) {
            if (errno == ENOENT) {
                std::size_t slash = target.find_last_of('/');
                std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
                struct stat fst{};
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

    std::vector<std::string> args{g_opener.empty() ? std::string("xdg-open") : g_opener, target};
    g_runs.push_back(args);
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    int rc = ::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
    if (rc != 0)
        return Result(rc == ENOMEM ? SE_ERR_OOM : SE_ERR_NOASSOC);

    auto deadline = std::chrono::steady_clock::now() + kOpenerGrace;
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid)
            return Result(ErrorFromOpenerStatus(status));
        if (r < 0)
            return Result(42);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    g_pending.push_back(pid);
    return Result(42);
}

BOOL CreateProcessArgv(const std::vector<std::string>& args)
{
    if (args.empty() || args.front().empty())
        return FALSE;
    g_started.push_back(args);
    std::vector<std::string> copy = args;
    std::vector<char*> argv;
    for (std::string& a : copy)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return FALSE;
    g_pending.push_back(pid);  // reaped later, so it leaves no zombie
    ReapFinished();
    return TRUE;
}

namespace testhooks {

const std::vector<std::vector<std::string>>& ProgramsStarted() { return g_started; }
void ClearProgramsStarted() { g_started.clear(); }

void SetShellOpener(const std::string& program) { g_opener = program; }
const std::vector<std::vector<std::string>>& ShellOpenerRuns() { return g_runs; }
void ClearShellOpenerRuns() { g_runs.clear(); }
}
