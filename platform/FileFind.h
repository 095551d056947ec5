#pragma once
// MFC's CFileFind over the folder listing. A name may hold the wildcards
// '*' and '?' in its last part ("/data/*.tlv"); "*.*" also matches names
// without a dot, as on Windows. Names compare as the file system does
// (case-sensitively on Linux). Qt-free.

#include "platform/CString.h"
#include "platform/Win32.h"

#include <cstdint>
#include <string>
#include <vector>

class CFileFind {
public:
    CFileFind() = default;
    virtual ~CFileFind() = default;

    // Looks for the first match; null looks for "*.*" in the current folder.
    // Call FindNextFile before reading the first match, as in MFC.
    BOOL FindFile(LPCSTR pstrName = nullptr, DWORD dwUnused = 0);
    // Moves to the next match; FALSE when the match it moved to is the last.
    BOOL FindNextFile();
    void Close();

    CString GetFileName() const;
    CString GetFilePath() const;
    BOOL IsDirectory() const;
    BOOL IsDots() const;

private:
    struct Match {
        std::string name;
        bool isDirectory = false;
        std::uint64_t length = 0;
    };
    const Match* Current() const;

    std::string m_strRoot;  // folder of the matches, with its trailing separator, or empty
    std::vector<Match> m_matches;
    std::size_t m_nNext = 0;  // index FindNextFile moves to
    bool m_bStarted = false;
};

// Windows wildcard match of one name: '*' any run, '?' one character.
bool MatchWildcard(const std::string& pattern, const std::string& name);
