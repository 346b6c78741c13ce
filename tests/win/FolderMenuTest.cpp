// The folder context-menu entry on the real registry (of the Wine prefix when
// cross-compiled). Each test redirects HKEY_CLASSES_ROOT and
// HKEY_CURRENT_USER of this process to scratch keys, so the real roots are
// never touched, and compares whole key trees before and after.
#include "shell/FolderMenu.h"

#include "platform/Application.h"
#include "platform/Exception.h"
#include "win/ImportPatch.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

const std::wstring kMenuKey = L"Folder\\Shell\\devadu";
const std::wstring kCommandKey = L"Folder\\Shell\\devadu\\command";
const std::wstring kMenuText = L"加密/解密文件夹";
const std::wstring kUserClasses = L"Software\\Classes\\";

// A key tree as the tests compare it: every key below the root by its path
// (keys without values included), each with its values by name. A REG_SZ
// value stored with its terminating NUL shows as its text; anything else as a
// marker that never equals a text.
using Values = std::map<std::wstring, std::wstring>;
using Tree = std::map<std::wstring, Values>;

std::wstring ShowValue(DWORD type, const BYTE* data, DWORD size) {
    const DWORD chars = size / static_cast<DWORD>(sizeof(wchar_t));
    std::wstring text(chars, L'\0');
    if (chars) std::memcpy(text.data(), data, chars * sizeof(wchar_t));
    if (type == REG_SZ && size % sizeof(wchar_t) == 0 && chars > 0 && text.back() == L'\0') {
        text.pop_back();
        return text;
    }
    return L"<type " + std::to_wstring(type) + L", " + std::to_wstring(size) + L" bytes: " + text + L">";
}

void ReadKey(HKEY key, const std::wstring& path, Tree& tree) {
    DWORD subkeys = 0, longestSubkey = 0, values = 0, longestName = 0, longestData = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, &longestSubkey, nullptr,
                                              &values, &longestName, &longestData, nullptr, nullptr))
        << "key " << path;
    if (!path.empty()) {
        Values& out = tree[path];
        std::wstring name(longestName + 1, L'\0');
        std::vector<BYTE> data(longestData + 1);
        for (DWORD i = 0; i < values; ++i) {
            DWORD nameSize = static_cast<DWORD>(name.size());
            DWORD dataSize = static_cast<DWORD>(data.size());
            DWORD type = 0;
            ASSERT_EQ(ERROR_SUCCESS,
                      RegEnumValueW(key, i, name.data(), &nameSize, nullptr, &type, data.data(), &dataSize));
            out[name.substr(0, nameSize)] = ShowValue(type, data.data(), dataSize);
        }
    }
    std::wstring name(longestSubkey + 1, L'\0');
    for (DWORD i = 0; i < subkeys; ++i) {
        DWORD nameSize = static_cast<DWORD>(name.size());
        ASSERT_EQ(ERROR_SUCCESS, RegEnumKeyExW(key, i, name.data(), &nameSize, nullptr, nullptr, nullptr, nullptr));
        const std::wstring child = name.substr(0, nameSize);
        const std::wstring childPath = path.empty() ? child : path + L"\\" + child;
        HKEY sub = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(key, child.c_str(), 0, KEY_READ, &sub)) << "key " << childPath;
        ReadKey(sub, childPath, tree);
        RegCloseKey(sub);
    }
}

// Everything below root (a predefined key reads through its redirection).
Tree ReadTree(HKEY root) {
    Tree tree;
    ReadKey(root, L"", tree);
    return tree;
}

void WriteTree(HKEY root, const Tree& tree) {
    for (const auto& [path, values] : tree) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                                 KEY_ALL_ACCESS, nullptr, &key, nullptr))
            << "key " << path;
        for (const auto& [name, text] : values) {
            EXPECT_EQ(ERROR_SUCCESS,
                      RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))));
        }
        RegCloseKey(key);
    }
}

std::wstring OwnPath() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path;
}

std::wstring CommandFor(const std::wstring& program) { return L"\"" + program + L"\" \"%1\""; }

// tree as it should be once the entry has been written below prefix ("" for
// the classes root, kUserClasses below HKEY_CURRENT_USER) by this program.
Tree WithEntry(Tree tree, const std::wstring& prefix, const std::wstring& program = OwnPath()) {
    const std::wstring command = prefix + kCommandKey;
    for (size_t end = command.find(L'\\'); end != std::wstring::npos; end = command.find(L'\\', end + 1))
        tree[command.substr(0, end)];
    tree[prefix + kMenuKey][L""] = kMenuText;
    tree[command][L""] = CommandFor(program);
    return tree;
}

// tree without the entry's key and everything below it.
Tree WithoutEntry(Tree tree, const std::wstring& prefix) {
    const std::wstring key = prefix + kMenuKey;
    std::erase_if(tree, [&](const auto& item) {
        return item.first == key || item.first.starts_with(key + L"\\");
    });
    return tree;
}

// The text of the Exception that call raises, or a note that it raised none.
std::string ThrownMessage(const std::function<void()>& call) {
    try {
        call();
    } catch (const Exception& error) {
        return error.what();
    }
    return "(no exception)";
}

LSTATUS WINAPI RefuseSetValue(HKEY, LPCWSTR, DWORD, DWORD, const BYTE*, DWORD) { return ERROR_ACCESS_DENIED; }

// The program path that LongModuleFileName reports.
std::wstring reportedProgramPath;

// GetModuleFileNameW for a program file at reportedProgramPath, answering as
// Windows does when the buffer is too small: as much as fits with a NUL, the
// buffer size as result, ERROR_INSUFFICIENT_BUFFER.
DWORD WINAPI LongModuleFileName(HMODULE, LPWSTR buffer, DWORD size) {
    const std::wstring& path = reportedProgramPath;
    if (size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (path.size() < size) {
        std::memcpy(buffer, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
        SetLastError(ERROR_SUCCESS);
        return static_cast<DWORD>(path.size());
    }
    std::memcpy(buffer, path.c_str(), (size - 1) * sizeof(wchar_t));
    buffer[size - 1] = L'\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
}

using Shown = std::tuple<std::wstring, std::wstring, unsigned>;
const Shown kRemovedMessage{L"成功删除系统右键菜单！", L"成功", 0x40u};

class FolderMenuTest : public ::testing::Test {
protected:
    // The scratch keys live under the real HKEY_CURRENT_USER, opened before
    // it is redirected and deleted after the redirection is undone.
    void SetUp() override {
        static unsigned serial = 0;
        scratchPath_ = L"Software\\FolderLockTests\\" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                       std::to_wstring(++serial);
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, scratchPath_.c_str(), 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &scratch_, nullptr));
        classes_ = CreateScratchKey(L"classes", REG_OPTION_NON_VOLATILE);
        user_ = CreateScratchKey(L"user", REG_OPTION_NON_VOLATILE);
        Redirect(HKEY_CLASSES_ROOT, classes_);
        Redirect(HKEY_CURRENT_USER, user_);
        app_.OnMessageBox = [this](const std::wstring& text, const std::wstring& caption, unsigned flags) {
            shown_.emplace_back(text, caption, flags);
            return IDOK;
        };
    }

    void TearDown() override {
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        UnlockAll();
        for (HKEY key : keys_) RegCloseKey(key);
        if (scratch_) RegCloseKey(scratch_);
        RegDeleteTreeW(HKEY_CURRENT_USER, scratchPath_.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\FolderLockTests");  // goes only when empty
    }

    // A new key below the scratch key, closed at the end of the test.
    HKEY CreateScratchKey(const std::wstring& name, DWORD options) {
        HKEY key = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExW(scratch_, name.c_str(), 0, nullptr, options, KEY_ALL_ACCESS,
                                                 nullptr, &key, nullptr));
        keys_.push_back(key);
        return key;
    }

    void Redirect(HKEY predefined, HKEY to) { ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(predefined, to)); }

    // Makes the existing key path below base readable but not writable: it
    // no longer opens with KEY_ALL_ACCESS. Deleting it and changing its
    // permissions stay allowed, so that it can be cleaned up.
    void LockKey(HKEY base, const std::wstring& path) {
        SetPermissions(base, path, L"D:P(A;;KRSDWD;;;WD)");
        locked_.emplace_back(base, path);
    }

    void UnlockAll() {
        for (const auto& [base, path] : locked_) SetPermissions(base, path, L"D:(A;;KA;;;WD)");
        locked_.clear();
    }

    // Back to empty scratch roots, for the next row of a table.
    void Reset() {
        UnlockAll();
        Redirect(HKEY_CLASSES_ROOT, classes_);
        Redirect(HKEY_CURRENT_USER, user_);
        RegDeleteTreeW(classes_, nullptr);
        RegDeleteTreeW(user_, nullptr);
        shown_.clear();
    }

    HKEY scratch_ = nullptr;
    HKEY classes_ = nullptr;
    HKEY user_ = nullptr;
    TApplication app_;
    std::vector<Shown> shown_;

private:
    static void SetPermissions(HKEY base, const std::wstring& path, const wchar_t* sddl) {
        PSECURITY_DESCRIPTOR security = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &security, nullptr));
        HKEY key = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(base, path.c_str(), 0, WRITE_DAC, &key)) << "key " << path;
        EXPECT_EQ(ERROR_SUCCESS, RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, security)) << "key " << path;
        RegCloseKey(key);
        LocalFree(security);
    }

    std::wstring scratchPath_;
    std::vector<HKEY> keys_;
    std::vector<std::pair<HKEY, std::wstring>> locked_;
};

// An entry as written by an earlier start of this program from another place.
const Tree kStaleEntry = {
    {L"Folder", {}},
    {L"Folder\\Shell", {}},
    {kMenuKey, {{L"", L"旧的菜单"}}},
    {kCommandKey, {{L"", L"\"C:\\Old place\\folderlock.exe\" \"%1\""}}},
};

// An entry with more below it than the program writes: further values,
// several subkeys with their own subkeys, and neighbours that are not part of
// the entry (another verb, a verb whose name begins with the entry's).
const Tree kCrowdedEntry = {
    {L"Folder", {{L"", L"Folder"}}},
    {L"Folder\\Shell", {{L"", L"open"}}},
    {L"Folder\\Shell\\open", {}},
    {L"Folder\\Shell\\open\\command", {{L"", L"explorer.exe \"%1\""}}},
    {L"Folder\\Shell\\devadu2", {{L"", L"another verb"}}},
    {kMenuKey, {{L"", kMenuText}, {L"Icon", L"folderlock.exe,0"}}},
    {kCommandKey, {{L"", CommandFor(OwnPath())}, {L"note", L"kept"}}},
    {kCommandKey + L"\\below command", {}},
    {kMenuKey + L"\\a", {{L"x", L"1"}}},
    {kMenuKey + L"\\a\\a1", {}},
    {kMenuKey + L"\\a\\a1\\deepest", {{L"", L"bottom"}}},
    {kMenuKey + L"\\a\\a2", {}},
    {kMenuKey + L"\\b", {}},
    {kMenuKey + L"\\c", {}},
    {kMenuKey + L"\\c\\c1", {{L"y", L"2"}}},
};

struct TreeCase {
    const char* name;
    Tree classes;  // below HKEY_CLASSES_ROOT before the call
    Tree user;     // below HKEY_CURRENT_USER before the call
};

TEST_F(FolderMenuTest, RegisterWritesBothValuesAndLeavesEverythingElse) {
    const TreeCase cases[] = {
        {"nothing there yet, Folder\\Shell created on the way", {}, {}},
        {"Folder\\Shell there with another verb",
         {{L"Folder", {}},
          {L"Folder\\Shell", {}},
          {L"Folder\\Shell\\open", {}},
          {L"Folder\\Shell\\open\\command", {{L"", L"x"}}}},
         {}},
        {"entry of a program since moved: both values rewritten", kStaleEntry, {}},
        {"entry with further values and subkeys: kept", kCrowdedEntry, {}},
        {"per-user copy of the entry: left as it is", kStaleEntry, WithEntry({}, kUserClasses, L"C:\\x.exe")},
    };
    for (const TreeCase& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        WriteTree(HKEY_CLASSES_ROOT, c.classes);
        WriteTree(HKEY_CURRENT_USER, c.user);

        RegisterFolderMenu();

        EXPECT_EQ(WithEntry(c.classes, L""), ReadTree(HKEY_CLASSES_ROOT));
        EXPECT_EQ(c.user, ReadTree(HKEY_CURRENT_USER));
    }
}

// The program file may lie deeper than MAX_PATH characters; its path must
// reach the command whole, not cut at the first buffer's size.
TEST_F(FolderMenuTest, RegisterWritesTheProgramPathAtAnyLength) {
    for (const size_t length : {size_t{MAX_PATH - 1}, size_t{MAX_PATH}, size_t{MAX_PATH + 1}, size_t{2000}}) {
        SCOPED_TRACE(length);
        const std::wstring file = L"\\folderlock.exe";
        std::wstring path = L"C:\\Program Files\\";
        while (path.size() + file.size() < length) path += L"文件夹 x";
        path.resize(length - file.size());
        path += file;
        Reset();
        reportedProgramPath = path;
        {
            ImportPatch patch("GetModuleFileNameW", reinterpret_cast<ULONG_PTR>(&LongModuleFileName));
            ASSERT_TRUE(patch.Active());
            RegisterFolderMenu();
        }
        EXPECT_EQ(WithEntry({}, L"", path), ReadTree(HKEY_CLASSES_ROOT));
    }
}

// Without administrator rights HKEY_CLASSES_ROOT refuses the entry; the
// per-user classes take it then, silently, and the root stays as it was.
TEST_F(FolderMenuTest, RegisterWritesPerUserWhereClassesRootRefuses) {
    const struct {
        const char* name;
        std::function<void()> refuse;  // makes the redirected roots refuse
        bool userWritable;
    } cases[] = {
        {"no new key below the root (a volatile one: its keys must be volatile too)",
         [&] { Redirect(HKEY_CLASSES_ROOT, CreateScratchKey(L"volatile classes", REG_OPTION_VOLATILE)); }, true},
        {"entry there and read-only (access denied)",
         [&] {
             WriteTree(HKEY_CLASSES_ROOT, kStaleEntry);
             LockKey(classes_, kCommandKey);
             LockKey(classes_, kMenuKey);
         },
         true},
        {"neither root writable: nothing written, nothing raised",
         [&] {
             Redirect(HKEY_CLASSES_ROOT, CreateScratchKey(L"volatile classes 2", REG_OPTION_VOLATILE));
             Redirect(HKEY_CURRENT_USER, CreateScratchKey(L"volatile user", REG_OPTION_VOLATILE));
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        c.refuse();
        const Tree classesBefore = ReadTree(HKEY_CLASSES_ROOT);

        EXPECT_EQ("(no exception)", ThrownMessage(RegisterFolderMenu));

        EXPECT_EQ(classesBefore, ReadTree(HKEY_CLASSES_ROOT));
        EXPECT_EQ(c.userWritable ? WithEntry({}, kUserClasses) : Tree{}, ReadTree(HKEY_CURRENT_USER));
    }
}

// A value that cannot be written (the key opened) is an error, not a reason
// to try elsewhere; the command key after it is not written.
TEST_F(FolderMenuTest, RegisterRaisesWhenTheMenuTextCannotBeWritten) {
    {
        ImportPatch patch("RegSetValueExW", reinterpret_cast<ULONG_PTR>(&RefuseSetValue));
        ASSERT_TRUE(patch.Active());
        EXPECT_EQ("Failed to set data for ''", ThrownMessage(RegisterFolderMenu));
    }
    const Tree opened = {{L"Folder", {}}, {L"Folder\\Shell", {}}, {kMenuKey, {}}};
    EXPECT_EQ(opened, ReadTree(HKEY_CLASSES_ROOT));
    EXPECT_EQ(Tree{}, ReadTree(HKEY_CURRENT_USER));
}

TEST_F(FolderMenuTest, RemoveDeletesTheWholeEntryAndAlwaysReports) {
    const TreeCase cases[] = {
        {"no entry anywhere", {}, {}},
        {"entry as written", WithEntry({}, L""), {}},
        {"entry with further values, subkeys below subkeys, neighbours", kCrowdedEntry, {}},
        {"entry below the classes root and the per-user classes", kStaleEntry, WithEntry({}, kUserClasses)},
        {"only the per-user entry, with a neighbour",
         {},
         WithEntry({{kUserClasses + L"Folder\\Shell\\open", {{L"", L"x"}}}}, kUserClasses)},
    };
    for (const TreeCase& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        WriteTree(HKEY_CLASSES_ROOT, c.classes);
        WriteTree(HKEY_CURRENT_USER, c.user);

        RemoveFolderMenu(app_);

        EXPECT_EQ(WithoutEntry(c.classes, L""), ReadTree(HKEY_CLASSES_ROOT));
        EXPECT_EQ(WithoutEntry(c.user, kUserClasses), ReadTree(HKEY_CURRENT_USER));
        EXPECT_EQ(std::vector<Shown>{kRemovedMessage}, shown_);
    }
}

// A subkey that cannot be deleted stays with what is below it, and so do the
// keys above it; its siblings on either side are deleted all the same.
TEST_F(FolderMenuTest, RemoveGoesOnPastASubkeyThatCannotBeDeleted) {
    const Tree entry = {
        {L"Folder", {}},
        {L"Folder\\Shell", {}},
        {kMenuKey, {{L"", kMenuText}}},
        {kCommandKey, {{L"", L"x"}}},
        {kMenuKey + L"\\a", {}},
        {kMenuKey + L"\\b", {{L"v", L"1"}}},
        {kMenuKey + L"\\b\\inner", {}},
        {kMenuKey + L"\\c", {}},
        {kMenuKey + L"\\c\\c1", {}},
    };
    WriteTree(HKEY_CLASSES_ROOT, entry);
    LockKey(classes_, kMenuKey + L"\\b");

    RemoveFolderMenu(app_);

    const Tree left = {
        {L"Folder", {}},
        {L"Folder\\Shell", {}},
        {kMenuKey, {{L"", kMenuText}}},
        {kMenuKey + L"\\b", {{L"v", L"1"}}},
        {kMenuKey + L"\\b\\inner", {}},
    };
    EXPECT_EQ(left, ReadTree(HKEY_CLASSES_ROOT));
    EXPECT_EQ(std::vector<Shown>{kRemovedMessage}, shown_);
}

// A removal lasts until the next start, which writes the entry again.
TEST_F(FolderMenuTest, RegisterAfterRemoveBringsTheEntryBack) {
    RegisterFolderMenu();
    RemoveFolderMenu(app_);
    EXPECT_EQ(WithoutEntry(WithEntry({}, L""), L""), ReadTree(HKEY_CLASSES_ROOT));

    RegisterFolderMenu();
    EXPECT_EQ(WithEntry({}, L""), ReadTree(HKEY_CLASSES_ROOT));
    EXPECT_EQ(Tree{}, ReadTree(HKEY_CURRENT_USER));
}

}  // namespace
