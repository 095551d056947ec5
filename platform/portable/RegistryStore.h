#pragma once
// The per-user registry store as a document: keys with typed values, read from
// and written to the REGEDIT4 text format. Qt-free and free of file access, so
// the parser can be fuzzed on its own.
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\Lindqvarn\Talvo\Settings]
//   "DoAlarm"=hex:01,00,00,00
//   "HotKey"=dword:00000078
//   "SoundFileAlarm"="talvo.wav"
//
// Key and value names compare without regard to ASCII case, as the registry's
// do; the stored spelling is kept. Comments (';' lines) and values the program
// never touches are written back as they were read.

#include "platform/Win32.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct RegistryValue {
    std::string name;  // empty for the key's default value ("@")
    DWORD type = 0;    // REG_SZ, REG_BINARY, ...
    std::string data;  // raw bytes, as RegQueryValueExA returns them
};

class CRegistryStore {
public:
    // Replaces the content with the parsed text. False (and an empty store)
    // when the text is not a REGEDIT4 file at all. Lines that cannot be read
    // (a bad value, a bad key name and the values under it) are left out and
    // counted in Skipped(); error tells about the first of them.
    bool Parse(std::string_view text, std::string* error = nullptr);
    std::size_t Skipped() const { return m_skipped; }
    std::string Serialize() const;

    // Full key paths start with the root's name: "HKEY_CURRENT_USER\Software\X".
    // A key exists when it, or a key below it, is in the store; a bare root always does.
    bool KeyExists(std::string_view fullPath) const;
    void CreateKey(std::string_view fullPath);
    const RegistryValue* FindValue(std::string_view fullPath, std::string_view name) const;
    void SetValue(std::string_view fullPath, std::string_view name, DWORD type, std::string_view data);

    bool Empty() const { return m_sections.empty(); }
    std::size_t KeyCount() const { return m_sections.size(); }

    static bool NamesEqual(std::string_view a, std::string_view b);

private:
    struct Entry {
        bool isValue = false;
        RegistryValue value;
        std::string text;  // the comment, or the value's text as read (empty once changed)
    };
    struct Section {
        std::string path;
        std::vector<Entry> entries;
    };

    Section* FindSection(std::string_view fullPath);
    const Section* FindSection(std::string_view fullPath) const;
    Section& AddSection(std::string_view fullPath);

    std::vector<std::string> m_preamble;  // comments before the first key
    std::vector<Section> m_sections;
    std::size_t m_skipped = 0;
};

// Formats one value as its REGEDIT4 line(s), without the final line feed.
std::string FormatRegistryValue(const RegistryValue& value);
