// The Windows platform's own pieces, as a Windows program: text conversion,
// whole-file replacement, folder listing, and windows built from res/'s
// templates by the real dialog manager and common controls.

#include "platform/AtomicFile.h"
#include "platform/Dialog.h"
#include "platform/FileFind.h"
#include "platform/FileSystem.h"
#include "platform/ListCtrl.h"
#include "platform/Registry.h"
#include "platform/Sound.h"
#include "platform/WholeFile.h"
#include "platform/portable/RewriteRecord.h"
#include "platform/win32/Internal.h"
#include "res/Resources.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class TempFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() /
              ("talvo-win32-" + std::to_string(::GetCurrentProcessId()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        for (const auto& e : fs::recursive_directory_iterator(dir))
            ::SetFileAttributesW(e.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        fs::remove_all(dir);
    }
    std::string Name(const std::string& leaf) const { return (dir / leaf).string(); }
    fs::path dir;
};

TEST(Text, Utf8BothWaysAndWindows1252WhenNotUtf8)
{
    const std::string swedish = "P\xC3\xA5minnelse \xC3\xA5\xC3\xA4\xC3\xB6 \xE2\x82\xAC";
    EXPECT_EQ(AfxWide(swedish), L"P\u00E5minnelse \u00E5\u00E4\u00F6 \u20AC");
    EXPECT_EQ(AfxNarrow(AfxWide(swedish)), swedish);
    // A list from an old Windows program: "Möte" in its ANSI code page.
    EXPECT_EQ(AfxWide("M\xF6te \x80"), L"M\u00F6te \u20AC");
    EXPECT_EQ(AfxWide(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));
    EXPECT_TRUE(AfxWide("").empty());

    // Fixed fields (a font's face name, the find text) are cut whole characters.
    char field[4];
    AfxCopyText(field, sizeof field, "P\xC3\xA5minnelse");
    EXPECT_STREQ(field, "P\xC3\xA5");
    AfxCopyText(field, 3, "P\xC3\xA5");
    EXPECT_STREQ(field, "P") << "never half an \xC3\xA5";
}

TEST_F(TempFolder, ReplacesWholeFilesAndRefusesWriteProtectedOnes)
{
    const std::string file = Name("lista.tlv");
    ASSERT_TRUE(WriteFileAtomically(file, "first\r\n"));
    EXPECT_EQ(ReadFile(file), "first\r\n");
    const std::string big(3 << 20, 'x');
    ASSERT_TRUE(WriteFileAtomically(file, big));
    EXPECT_EQ(ReadFile(file), big);

    ::SetFileAttributesW(AfxWide(file).c_str(), FILE_ATTRIBUTE_READONLY);
    int error = 0;
    EXPECT_FALSE(WriteFileAtomically(file, "lost", true, &error));
    EXPECT_EQ(error, EACCES);
    EXPECT_EQ(ReadFile(file), big) << "a write-protected file is never replaced";

    error = 0;
    EXPECT_FALSE(WriteFileAtomically(Name("no folder\\lista.tlv"), "x", true, &error));
    EXPECT_EQ(error, ENOENT);

    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir))
        ++entries;
    EXPECT_EQ(entries, 1u) << "no temporary file left behind";
}

// What a kill in the middle of a save in place leaves: the record of the
// whole new list in %LOCALAPPDATA%\Talvo and a file holding the new list's
// start and the old one's end. The next read finishes the save.
TEST_F(TempFolder, ASaveInPlaceCutShortIsFinishedAtTheNextRead)
{
    const std::string file = Name("lista.tlv");
    const std::string fresh = "Talvo_1.2\r\nny\r\n", old = "Talvo_1.2\r\ngammal och mycket l\xC3\xA4ngre\r\n";
    std::ofstream(fs::path(AfxWide(file)), std::ios::binary) << fresh + old.substr(fresh.size());
    wchar_t local[MAX_PATH], full[MAX_PATH];
    ASSERT_TRUE(SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local)));
    const fs::path state = fs::path(local) / "Talvo";
    fs::create_directories(state);
    const DWORD n = ::GetFullPathNameW(AfxWide(file).c_str(), MAX_PATH, full, nullptr);
    const std::string key = AfxNarrow(std::wstring_view(full, n));
    const fs::path record = state / AfxWide(RewriteRecordName(key));
    std::ofstream(record, std::ios::binary) << FormatRewriteRecord(key, fresh);

    EXPECT_TRUE(AfxRecoverInterruptedWrite(file));
    EXPECT_EQ(ReadFile(fs::path(AfxWide(file))), fresh);
    EXPECT_FALSE(fs::exists(record));
    EXPECT_FALSE(AfxRecoverInterruptedWrite(file)) << "nothing left to finish";
    for (const auto& e : fs::directory_iterator(state))
        if (e.path().filename().wstring().rfind(L"lista.tlv.torn-", 0) == 0)
            fs::remove(e.path());
}

TEST_F(TempFolder, LeftoversOfDeadProcessesGoAtTheNextSave)
{
    const std::string file = Name("lista.tlv");
    // Process ids are multiples of four on Windows: 3 never runs.
    std::ofstream(Name("lista.tlv.tmp-3-1"), std::ios::binary) << "stale";
    std::ofstream(Name("lista.tlv.tmp-" + std::to_string(::GetCurrentProcessId()) + "-9").c_str()) << "mine";
    std::ofstream(Name("annan.tlv.tmp-3-1"), std::ios::binary) << "other file";
    ASSERT_TRUE(WriteFileAtomically(file, "ny"));
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.insert(e.path().filename().string());
    EXPECT_EQ(names.count("lista.tlv.tmp-3-1"), 0u);
    EXPECT_EQ(names.count("annan.tlv.tmp-3-1"), 1u) << "only the saved file's own leftovers";
    EXPECT_EQ(names.count("lista.tlv"), 1u);
}

TEST_F(TempFolder, FindsFilesByWildcardIgnoringCase)
{
    for (const char* leaf : {"Lista.TLV", "b.tlv", "c.txt", "utan"})
        std::ofstream(Name(leaf)) << "x";
    CFileFind find;
    std::set<std::string> found;
    for (BOOL more = find.FindFile(Name("*.tlv").c_str()); more;) {
        more = find.FindNextFile();
        found.insert(std::string(find.GetFileName()));
    }
    EXPECT_EQ(found, (std::set<std::string>{"Lista.TLV", "b.tlv"}));
    EXPECT_FALSE(find.FindFile(Name("*.doc").c_str()));
}

std::string Utf8(const fs::path& p)
{
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

// This program has no manifest, so its ANSI code page is the locale's
// (Windows-1252 under Wine in Swedish), as on Windows before 10 1903: the
// file calls the program makes by their A names still take and give UTF-8.
TEST_F(TempFolder, FileCallsTakeAndGiveUtf8WhateverTheCodePage)
{
    const fs::path folder = dir / fs::path(u8"Åsa Björk ☃");
    const std::string name = Utf8(folder);
    EXPECT_EQ(SHCreateDirectoryExA(nullptr, name.c_str(), nullptr), ERROR_SUCCESS);
    ASSERT_TRUE(fs::is_directory(folder));

    std::ofstream(folder / "lista.tlv", std::ios::binary) << "Talvo_1.2\r\n";
    const std::string list = name + "\\lista.tlv", copy = name + "\\lista.tlv.unreadable-1";
    std::string bytes;
    EXPECT_TRUE(ReadWholeFile(list, bytes));
    EXPECT_EQ(bytes, "Talvo_1.2\r\n");
    EXPECT_FALSE(ReadWholeFile(name, bytes)) << "a folder";
    EXPECT_TRUE(CopyFileA(list.c_str(), copy.c_str(), TRUE));
    EXPECT_EQ(ReadFile(folder / "lista.tlv.unreadable-1"), "Talvo_1.2\r\n");
    EXPECT_FALSE(CopyFileA(list.c_str(), copy.c_str(), TRUE)) << "an existing copy is kept";

    // A relative name made absolute; lengths count bytes.
    wchar_t before[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, before);
    ASSERT_TRUE(::SetCurrentDirectoryW(folder.c_str()));
    char full[MAX_PATH] = {};
    LPSTR part = nullptr;
    const DWORD n = GetFullPathNameA("påminnelser.tlv", sizeof full, full, &part);
    char small[8] = {};
    const DWORD needed = GetFullPathNameA("påminnelser.tlv", sizeof small, small, nullptr);
    ::SetCurrentDirectoryW(before);
    EXPECT_EQ(std::string(full, n), name + "\\påminnelser.tlv");
    EXPECT_STREQ(part, "påminnelser.tlv");
    EXPECT_EQ(needed, n + 1) << "the size it needs, with the terminator";

    // The application-data folder of a profile redirected to that folder.
    HKEY folders = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                              0, KEY_QUERY_VALUE | KEY_SET_VALUE, &folders),
              ERROR_SUCCESS);
    std::vector<wchar_t> old(32768, L'\0');
    DWORD oldType = 0, oldSize = DWORD(old.size() * sizeof(wchar_t));
    const bool hadOld = ::RegQueryValueExW(folders, L"AppData", nullptr, &oldType,
                                           reinterpret_cast<BYTE*>(old.data()), &oldSize) == ERROR_SUCCESS;
    const std::wstring redirected = folder.wstring();
    ::RegSetValueExW(folders, L"AppData", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(redirected.c_str()),
                     DWORD((redirected.size() + 1) * sizeof(wchar_t)));
    char appData[MAX_PATH] = {};
    const BOOL found = SHGetSpecialFolderPathA(nullptr, appData, CSIDL_APPDATA, TRUE);
    if (hadOld)
        ::RegSetValueExW(folders, L"AppData", 0, oldType, reinterpret_cast<const BYTE*>(old.data()), oldSize);
    else
        ::RegDeleteValueW(folders, L"AppData");
    ::RegCloseKey(folders);
    EXPECT_TRUE(found);
    EXPECT_EQ(std::string(appData), name);
}

// Text values are stored as the text they stand for, and read back as UTF-8,
// whatever the code page; a buffer too small is told the size in bytes.
TEST(Registry, TextValuesAreUtf8WhateverTheCodePage)
{
    const std::wstring path = L"Software\\Lindqvarn\\Talvo\\Win32Test-" + std::to_wstring(::GetCurrentProcessId());
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                nullptr),
              ERROR_SUCCESS);
    const std::string text = "C:\\Users\\Björn\\Åsa Björk ☃\\lista.tlv";
    EXPECT_EQ(RegSetValueExA(key, "LastFile", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             DWORD(text.size() + 1)),
              ERROR_SUCCESS);
    wchar_t wide[128] = {};
    DWORD wideSize = sizeof wide;
    EXPECT_EQ(::RegQueryValueExW(key, L"LastFile", nullptr, nullptr, reinterpret_cast<BYTE*>(wide), &wideSize),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(wide), L"C:\\Users\\Bj\u00F6rn\\\u00C5sa Bj\u00F6rk \u2603\\lista.tlv");

    DWORD type = 0, size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "LastFile", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_SZ));
    EXPECT_EQ(size, text.size() + 1);
    BYTE small[8] = {};
    size = sizeof small;
    EXPECT_EQ(RegQueryValueExA(key, "LastFile", nullptr, nullptr, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, text.size() + 1);
    std::vector<BYTE> buffer(size);
    EXPECT_EQ(RegQueryValueExA(key, "LastFile", nullptr, nullptr, buffer.data(), &size), ERROR_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.data())), text);

    // The default value, as the web-page fallback reads it.
    ::RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(wide), wideSize);
    LONG defaultSize = 0;
    EXPECT_EQ(RegQueryValueA(HKEY_CURRENT_USER, Utf8(path).c_str(), nullptr, &defaultSize), ERROR_SUCCESS);
    std::vector<char> value(static_cast<std::size_t>(defaultSize));
    EXPECT_EQ(RegQueryValueA(HKEY_CURRENT_USER, Utf8(path).c_str(), value.data(), &defaultSize), ERROR_SUCCESS);
    EXPECT_EQ(std::string(value.data()), text);

    // Bytes pass as bytes.
    const BYTE binary[4] = {0x78, 0, 0, 0};
    EXPECT_EQ(RegSetValueExA(key, "RemindTime", 0, REG_BINARY, binary, sizeof binary), ERROR_SUCCESS);
    BYTE back[4] = {};
    size = sizeof back;
    EXPECT_EQ(RegQueryValueExA(key, "RemindTime", nullptr, &type, back, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_BINARY));
    EXPECT_EQ(std::vector<BYTE>(back, back + size), std::vector<BYTE>(binary, binary + 4));
    ::RegCloseKey(key);
    ::RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
}

// An asynchronous play answers before the file is read: the platform's
// check makes a missing or broken file a FALSE all the same.
TEST_F(TempFolder, SoundRefusesMissingAndBrokenFilesAtOnce)
{
    const DWORD async = SND_FILENAME | SND_ASYNC | SND_NODEFAULT;
    EXPECT_FALSE(PlaySoundA(Name("saknas.wav").c_str(), nullptr, async));
    std::ofstream(Name("trasig.wav"), std::ios::binary) << "inte ett ljud";
    EXPECT_FALSE(PlaySoundA(Name("trasig.wav").c_str(), nullptr, async));
    EXPECT_FALSE(PlaySoundA(dir.string().c_str(), nullptr, async)) << "a folder";
    PlaySoundA(nullptr, nullptr, 0);  // stopping needs no file
}

class DialogWindows : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        AfxSetResourceTables(&TalvoResourceTables());
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_HOTKEY_CLASS};
        ::InitCommonControlsEx(&icc);
    }
};

TEST_F(DialogWindows, IsADialogExTemplateWithEveryItem)
{
    const DialogTemplate* main = AfxFindDialogTemplate(IDD_TALVO_DIALOG);
    ASSERT_NE(main, nullptr);
    const std::vector<WORD> words = AfxBuildDialogTemplate(*main);
    ASSERT_GT(words.size(), 13u);
    EXPECT_EQ(words[0], 1) << "dlgVer";
    EXPECT_EQ(words[1], 0xFFFF) << "signature of DLGTEMPLATEEX";
    EXPECT_EQ(words[8], main->items.size()) << "cDlgItems";
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(words.data()) % 4, 0u) << "DWORD aligned for the dialog manager";
}

// The main window's template made into a real dialog: every control is
// there with its class, and the list is a report view with check boxes.
TEST_F(DialogWindows, TheMainTemplateMakesItsControls)
{
    CDialog dialog(IDD_TALVO_DIALOG);
    ASSERT_TRUE(dialog.Create(IDD_TALVO_DIALOG, nullptr));
    const DialogTemplate* main = AfxFindDialogTemplate(IDD_TALVO_DIALOG);
    for (const DialogItemTemplate& item : main->items) {
        if (item.id == UINT(IDC_STATIC))
            continue;
        SCOPED_TRACE(item.id);
        HWND child = ::GetDlgItem(dialog.m_hWnd, int(item.id));
        ASSERT_NE(child, nullptr);
    }
    CListCtrl* list = static_cast<CListCtrl*>(dialog.GetDlgItem(IDC_LIST));
    ASSERT_NE(list, nullptr);
    wchar_t className[64] = {};
    ::GetClassNameW(list->m_hWnd, className, 64);
    EXPECT_STREQ(className, WC_LISTVIEWW);
    list->SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    list->InsertColumn(0, "Tid", LVCFMT_LEFT, 100);
    EXPECT_EQ(list->InsertItem(0, "2026-12-08 10:00:00"), 0);
    list->SetCheck(0, TRUE);
    EXPECT_TRUE(list->GetCheck(0));
    EXPECT_EQ(std::string(list->GetItemText(0, 0)), "2026-12-08 10:00:00");
    dialog.DestroyWindow();
}

}  // namespace
