#pragma once
// CString: MFC's string as a Qt-free value class over a byte string.
// Out-of-range arguments clamp as MFC's do; nothing here is undefined.

// Before the class: on Windows the SDK's LoadString macro renames the member
// (LoadStringA), and every file must see the same name.
#include "platform/Win32.h"

#include <cstdarg>
#include <string>

class CString {
public:
    CString() = default;
    CString(const char* text) : m_str(text ? text : "") {}
    CString(const char* text, int length) : m_str(text ? std::string(text, length > 0 ? length : 0) : std::string()) {}
    CString(const std::string& text) : m_str(text) {}
    CString(char ch, int repeat = 1) : m_str(repeat > 0 ? std::string(repeat, ch) : std::string()) {}

    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    const char* GetString() const { return m_str.c_str(); }
    operator const char*() const { return m_str.c_str(); }
    const std::string& str() const { return m_str; }
    char GetAt(int i) const { return (i >= 0 && i < GetLength()) ? m_str[i] : '\0'; }
    void SetAt(int i, char ch)
    {
        if (i >= 0 && i < GetLength()) m_str[i] = ch;
    }

    // printf-style formatting; any length.
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void FormatV(const char* format, va_list args);
    // Loads string nID of the string table; false (and empty) when unknown.
    bool LoadString(unsigned int nID);

    int Find(char ch, int start = 0) const;
    int Find(const char* sub, int start = 0) const;
    int ReverseFind(char ch) const;
    CString Left(int count) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Right(int count) const;
    void MakeLower();  // ASCII letters only
    int Compare(const char* other) const { return m_str.compare(other ? other : ""); }

    CString& operator=(const char* text)
    {
        m_str = text ? text : "";
        return *this;
    }
    CString& operator+=(const CString& o)
    {
        m_str += o.m_str;
        return *this;
    }
    CString& operator+=(const char* text)
    {
        if (text) m_str += text;
        return *this;
    }
    CString& operator+=(char ch)
    {
        m_str += ch;
        return *this;
    }

    friend CString operator+(const CString& a, const CString& b) { return CString(a.m_str + b.m_str); }
    friend CString operator+(const CString& a, const char* b) { return CString(a.m_str + (b ? b : "")); }
    friend CString operator+(const char* a, const CString& b) { return CString((a ? a : "") + b.m_str); }
    friend CString operator+(const CString& a, char b) { return CString(a.m_str + b); }
    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CString& a, const char* b) { return a.m_str == (b ? b : ""); }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const char* b) { return !(a == b); }
    friend bool operator<(const CString& a, const CString& b) { return a.m_str < b.m_str; }

private:
    std::string m_str;
};
