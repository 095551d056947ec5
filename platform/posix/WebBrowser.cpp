#include "platform/posix/WebBrowser.h"

#include "platform/Registry.h"
#include "platform/posix/RegularFile.h"

#include <cstdlib>
#include <sstream>
#include <vector>

namespace {

std::string Env(const char* name, const std::string& fallback)
{
    const char* v = std::getenv(name);
    return v && *v ? std::string(v) : fallback;
}

std::vector<std::string> Split(const std::string& list, char sep)
{
    std::vector<std::string> parts;
    std::stringstream in(list);
    std::string part;
    while (std::getline(in, part, sep))
        if (!part.empty())
            parts.push_back(part);
    return parts;
}

// A desktop's ini-style file is small; a bigger one is not read.
constexpr std::size_t kMaxIniSize = 1024 * 1024;

// The value of key in the [group] of an ini-style file, or empty. Any user
// or program can put a FIFO in these places: only a regular file is read.
std::string IniValue(const std::string& path, const std::string& group, const std::string& key)
{
    std::string bytes;
    if (AfxReadRegularFile(path, kMaxIniSize, bytes) != 0)
        return std::string();
    std::istringstream in(bytes);
    std::string line;
    bool inGroup = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line.front() == '[') {
            inGroup = line == "[" + group + "]";
            continue;
        }
        if (inGroup && line.compare(0, key.size() + 1, key + "=") == 0)
            return line.substr(key.size() + 1);
    }
    return std::string();
}

// The Exec line of the desktop's default web browser: $BROWSER's first
// entry, or the desktop entry that mimeapps.list names for http.
std::string BrowserExec()
{
    const std::vector<std::string> fromEnv = Split(Env("BROWSER", ""), ':');
    if (!fromEnv.empty())
        return fromEnv.front();
    const std::string home = Env("HOME", "");
    const std::string configHome = Env("XDG_CONFIG_HOME", home + "/.config");
    const std::string dataHome = Env("XDG_DATA_HOME", home + "/.local/share");
    std::vector<std::string> lists{configHome + "/mimeapps.list"};
    for (const std::string& d : Split(Env("XDG_CONFIG_DIRS", "/etc/xdg"), ':'))
        lists.push_back(d + "/mimeapps.list");
    lists.push_back(dataHome + "/applications/mimeapps.list");
    std::vector<std::string> dataDirs{dataHome};
    for (const std::string& d : Split(Env("XDG_DATA_DIRS", "/usr/local/share:/usr/share"), ':'))
        dataDirs.push_back(d);
    for (const std::string& list : lists)
        for (const std::string& entry : Split(IniValue(list, "Default Applications", "x-scheme-handler/http"), ';'))
            for (const std::string& dir : dataDirs) {
                const std::string exec = IniValue(dir + "/applications/" + entry, "Desktop Entry", "Exec");
                if (!exec.empty())
                    return exec;
            }
    return std::string();
}

// Desktop Entry quoting: blanks separate, double quotes group, a backslash
// in quotes escapes the next character.
std::vector<std::string> ExecArguments(const std::string& exec)
{
    std::vector<std::string> args;
    std::string current;
    bool quoted = false, any = false;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (quoted) {
            if (c == '\\' && i + 1 < exec.size())
                current += exec[++i];
            else if (c == '"')
                quoted = false;
            else
                current += c;
        } else if (c == '"') {
            quoted = any = true;
        } else if (c == ' ' || c == '\t') {
            if (any || !current.empty())
                args.push_back(current);
            current.clear();
            any = false;
        } else {
            current += c;
        }
    }
    if (any || !current.empty())
        args.push_back(current);
    return args;
}

// One argument as Windows' command-line rules read it back.
std::string Quoted(const std::string& arg)
{
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos)
        return arg;
    std::string out = "\"";
    std::size_t slashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++slashes;
            continue;
        }
        out.append(c == '"' ? slashes * 2 + 1 : slashes, '\\');
        slashes = 0;
        out += c;
    }
    out.append(slashes * 2, '\\');
    return out + "\"";
}

}  // namespace

std::string AfxWindowsCommandLine(const std::string& exec)
{
    std::string line;
    for (const std::string& a : ExecArguments(exec)) {
        std::string arg;
        bool document = false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (a[i] != '%' || i + 1 >= a.size()) {
                arg += a[i];
                continue;
            }
            const char code = a[++i];
            if (code == '%')
                arg += '%';
            else if (code == 'u' || code == 'U' || code == 'f' || code == 'F' || code == 's')
                document = true;
        }
        if (document) {
            line += line.empty() ? "\"%1\"" : " \"%1\"";
            continue;
        }
        if (arg.empty() && a.size() == 2)
            continue;  // a field code that means nothing here
        line += (line.empty() ? "" : " ") + Quoted(arg);
    }
    return line;
}

CRegistryStore AfxDesktopClasses()
{
    CRegistryStore classes;
    const std::string command = AfxWindowsCommandLine(BrowserExec());
    if (command.empty())
        return classes;
    const std::string type = "htmlfile";
    classes.SetValue("HKEY_CLASSES_ROOT\\.htm", "", REG_SZ, type + '\0');
    classes.SetValue("HKEY_CLASSES_ROOT\\" + type + "\\shell\\open\\command", "", REG_SZ,
                     std::string(command) + '\0');
    return classes;
}
