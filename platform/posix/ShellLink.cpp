#include "platform/ShellLink.h"

#include "platform/AtomicFile.h"
#include "platform/LastError.h"
#include "platform/posix/Folders.h"
#include "platform/posix/Seams.h"

#include <atomic>
#include <cerrno>
#include <string_view>


namespace {

constexpr DWORD MB_ERR_INVALID_CHARS = 0x8;
constexpr long ERROR_NO_UNICODE_TRANSLATION = 1113;

thread_local bool t_comInitialized = false;

// Decodes UTF-8; invalid sequences give U+FFFD and set bad.
std::u16string DecodeUtf8(std::string_view s, bool& bad)
{
    std::u16string out;
    std::size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        unsigned cp = 0;
        int extra = 0;
        unsigned min = 0;
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            extra = 1;
            min = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            extra = 2;
            min = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            cp = c & 0x07;
            extra = 3;
            min = 0x10000;
        } else {
            extra = -1;
        }
        bool ok = extra >= 0 && i + std::size_t(extra) < s.size();
        if (ok && extra > 0) {
            for (int k = 1; ok && k <= extra; ++k) {
                auto cc = static_cast<unsigned char>(s[i + k]);
                if ((cc & 0xC0) != 0x80)
                    ok = false;
                else
                    cp = (cp << 6) | (cc & 0x3F);
            }
            if (ok && (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)))
                ok = false;
        }
        if (!ok) {
            bad = true;
            out += u'\uFFFD';
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += char16_t(0xD800 + (cp >> 10));
            out += char16_t(0xDC00 + (cp & 0x3FF));
        } else {
            out += char16_t(cp);
        }
        i += std::size_t(extra) + 1;
    }
    return out;
}

bool EncodeUtf8(LPCWSTR w, std::string& out)
{
    out.clear();
    for (; *w; ++w) {
        unsigned cp = *w;
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            if (w[1] < 0xDC00 || w[1] > 0xDFFF)
                return false;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (unsigned(w[1]) - 0xDC00);
            ++w;
        } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
            return false;
        }
        if (cp < 0x80) {
            out += char(cp);
        } else if (cp < 0x800) {
            out += char(0xC0 | (cp >> 6));
            out += char(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += char(0xE0 | (cp >> 12));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        } else {
            out += char(0xF0 | (cp >> 18));
            out += char(0x80 | ((cp >> 12) & 0x3F));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        }
    }
    return true;
}

bool IsValidUtf8(std::string_view s)
{
    bool bad = false;
    DecodeUtf8(s, bad);
    return !bad;
}

bool EndsWithNoCase(const std::string& s, std::string_view suffix)
{
    if (s.size() < suffix.size())
        return false;
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        char a = s[s.size() - suffix.size() + i];
        if (a >= 'A' && a <= 'Z')
            a = char(a - 'A' + 'a');
        if (a != suffix[i])
            return false;
    }
    return true;
}

std::string QuoteExecArgument(const std::string& arg)
{
    static constexpr std::string_view reserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string out;
    bool quote = arg.empty() || arg.find_first_of(reserved) != std::string::npos;
    if (quote)
        out += '"';
    for (char c : arg) {
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\'))
            out += '\\';
        if (c == '%')
            out += '%';  // a literal percent sign is doubled, or it reads as a field code
        out += c;
    }
    if (quote)
        out += '"';
    return out;
}

class CShellLinkObject final : public IShellLinkA, public IPersistFile {
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IShellLinkA)
            *ppv = static_cast<IShellLinkA*>(this);
        else if (riid == IID_IPersistFile)
            *ppv = static_cast<IPersistFile*>(this);
        else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++m_nRefs; }
    ULONG Release() override
    {
        ULONG left = --m_nRefs;
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT SetPath(LPCSTR pszFile) override
    {
        if (!pszFile || !*pszFile)
            return E_INVALIDARG;
        m_strPath = pszFile;
        return S_OK;
    }
    HRESULT GetPath(LPSTR pszFile, int cch) override
    {
        if (!pszFile || cch <= 0)
            return E_INVALIDARG;
        if (m_strPath.size() >= std::size_t(cch))
            return E_FAIL;
        m_strPath.copy(pszFile, m_strPath.size());
        pszFile[m_strPath.size()] = '\0';
        return m_strPath.empty() ? S_FALSE : S_OK;
    }
    HRESULT SetArguments(LPCSTR pszArgs) override
    {
        m_strArguments = pszArgs ? pszArgs : "";
        return S_OK;
    }
    HRESULT SetDescription(LPCSTR pszName) override
    {
        m_strDescription = pszName ? pszName : "";
        return S_OK;
    }
    HRESULT SetWorkingDirectory(LPCSTR pszDir) override
    {
        m_strWorkingDir = pszDir ? pszDir : "";
        return S_OK;
    }

    HRESULT Save(LPCOLESTR pszFileName, BOOL) override
    {
        std::string path;
        if (!pszFileName || !EncodeUtf8(pszFileName, path) || path.empty())
            return E_INVALIDARG;
        if (m_strPath.empty())
            return E_FAIL;
        if (!IsValidUtf8(m_strPath) || !IsValidUtf8(m_strArguments) || !IsValidUtf8(m_strDescription) ||
            !IsValidUtf8(m_strWorkingDir))
            return E_INVALIDARG;  // a desktop entry is UTF-8 throughout
        if (EndsWithNoCase(path, ".lnk"))
            path.replace(path.size() - 4, 4, ".desktop");
        std::size_t slash = path.find_last_of('/');
        std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
        if (std::size_t dot = name.find_last_of('.'); dot != std::string::npos && dot > 0)
            name.erase(dot);
        if (name.empty() || name == "." || name == "..")
            return E_INVALIDARG;
        if (slash != std::string::npos && slash > 0)
            if (int e = AfxMakeFolders(path.substr(0, slash)))
                return HRESULT_FROM_WIN32(Win32ErrorFromErrno(e));

        std::string entry = "[Desktop Entry]\nType=Application\nVersion=1.0\n";
        entry += "Name=" + DesktopEntryEscape(name) + "\n";
        if (!m_strDescription.empty())
            entry += "Comment=" + DesktopEntryEscape(m_strDescription) + "\n";
        entry += "Exec=" + DesktopEntryEscape(DesktopEntryExec(m_strPath, m_strArguments)) + "\n";
        if (!m_strWorkingDir.empty())
            entry += "Path=" + DesktopEntryEscape(m_strWorkingDir) + "\n";
        entry += "Terminal=false\n";
        int error = 0;
        if (!WriteFileAtomically(path, entry, true, &error))
            return HRESULT_FROM_WIN32(Win32ErrorFromErrno(error ? error : EIO));
        return S_OK;
    }

private:
    ~CShellLinkObject() = default;

    std::atomic<ULONG> m_nRefs{1};
    std::string m_strPath;
    std::string m_strArguments;
    std::string m_strDescription;
    std::string m_strWorkingDir;
};

}  // namespace

std::string DesktopEntryEscape(const std::string& value)
{
    std::string out;
    for (char c : value) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
    if (!out.empty() && out.front() == ' ')
        out.replace(0, 1, "\\s");  // leading blanks would be dropped
    return out;
}

std::string DesktopEntryExec(const std::string& program, const std::string& arguments)
{
    std::string exec = QuoteExecArgument(program);
    std::size_t i = 0;
    while (i < arguments.size()) {
        while (i < arguments.size() && (arguments[i] == ' ' || arguments[i] == '\t'))
            ++i;
        std::string word;
        bool quoted = false;
        bool any = false;
        while (i < arguments.size() && (quoted || (arguments[i] != ' ' && arguments[i] != '\t'))) {
            if (arguments[i] == '"')
                quoted = !quoted;
            else
                word += arguments[i];
            any = true;
            ++i;
        }
        if (any)
            exec += " " + QuoteExecArgument(word);
    }
    return exec;
}

HRESULT CoInitialize(LPVOID)
{
    if (FAILED(AfxPosixSeam().coInitializeResult))
        return AfxPosixSeam().coInitializeResult;
    if (t_comInitialized)
        return S_FALSE;
    t_comInitialized = true;
    return S_OK;
}

HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD, REFIID riid, LPVOID* ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (!t_comInitialized)
        return CO_E_NOTINITIALIZED;
    if (pUnkOuter)
        return E_INVALIDARG;
    if (!(rclsid == CLSID_ShellLink))
        return REGDB_E_CLASSNOTREG;
    auto* link = new CShellLinkObject;
    HRESULT hr = link->QueryInterface(riid, ppv);
    link->Release();
    return hr;
}

int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                        LPWSTR lpWideCharStr, int cchWideChar)
{
    if (!lpMultiByteStr || cbMultiByte == 0 || cchWideChar < 0 || (CodePage != CP_ACP && CodePage != CP_UTF8)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string_view in = cbMultiByte < 0 ? std::string_view(lpMultiByteStr, std::char_traits<char>::length(lpMultiByteStr) + 1)
                                          : std::string_view(lpMultiByteStr, std::size_t(cbMultiByte));
    bool bad = false;
    std::u16string wide = DecodeUtf8(in, bad);
    if (bad && (dwFlags & MB_ERR_INVALID_CHARS)) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    if (cchWideChar == 0)
        return int(wide.size());
    if (!lpWideCharStr || wide.size() > std::size_t(cchWideChar)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    wide.copy(lpWideCharStr, wide.size());
    return int(wide.size());
}
