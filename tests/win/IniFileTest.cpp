// TIniFile and the extended-length paths it works on, on real files.
#include "platform/IniFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/Exception.h"
#include "platform/LongPath.h"
#include "win/TestFolders.h"

namespace {

TEST(ExtendedPath, Forms) {
    const std::vector<std::pair<std::wstring, std::wstring>> cases = {
        {L"C:\\Data\\Photos", L"\\\\?\\C:\\Data\\Photos"},
        {L"C:/Data/Photos", L"\\\\?\\C:\\Data\\Photos"},
        {L"C:\\Data\\x\\..\\Photos", L"\\\\?\\C:\\Data\\Photos"},
        {L"\\\\server\\share\\Photos", L"\\\\?\\UNC\\server\\share\\Photos"},
        {L"\\\\?\\C:\\Data\\Photos.", L"\\\\?\\C:\\Data\\Photos."},  // already extended: kept as written
        {L"C:\\Data\\Photos.", L"\\\\?\\C:\\Data\\Photos"},          // the path rules drop a final "."
    };
    for (const auto& [path, extended] : cases) {
        SCOPED_TRACE(testing::PrintToString(path));
        EXPECT_EQ(extended, ExtendedPath(path));
    }
    std::wstring longPath = L"C:\\";
    while (longPath.size() < 400) longPath += L"长路径 segment\\";
    longPath += L"end";
    EXPECT_EQ(L"\\\\?\\" + longPath, ExtendedPath(longPath));
}

class IniFileTest : public TempFolderTest {};

TEST_F(IniFileTest, RelativeName) {
    MakeDir(root_ + L"\\sub");
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(root_.c_str()));
    const std::wstring extended = ExtendedPath(L"sub\\x.ini");
    TIniFile ini(L"sub\\x.ini");
    ini.WriteString("111", "key", "V");
    SetCurrentDirectoryW(previous);
    EXPECT_EQ(L"\\\\?\\" + root_ + L"\\sub\\x.ini", extended);
    EXPECT_EQ("[111]\r\nkey=V\r\n", ReadBytes(root_ + L"\\sub\\x.ini"));
}

// A write that changes no byte does not touch the file at all.
TEST_F(IniFileTest, UnchangedWriteLeavesFileAlone) {
    const std::wstring path = root_ + L"\\dat.ini";
    WriteBytes(path, "[111]\r\nkey=V\r\n");
    FILETIME old{};
    old.dwHighDateTime = 0x01C00000;  // 1990s: surely not "now"
    HANDLE file = CreateFileW(Extended(path).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &old));
    CloseHandle(file);

    TIniFile ini(path);
    const IniFileState before = ini.WriteString("111", "KEY", "V");
    EXPECT_TRUE(before.existed);
    EXPECT_EQ("[111]\r\nkey=V\r\n", before.bytes);

    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(Extended(path).c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(old.dwHighDateTime, data.ftLastWriteTime.dwHighDateTime);
    EXPECT_EQ(old.dwLowDateTime, data.ftLastWriteTime.dwLowDateTime);
}

// Restore puts back the old bytes, or removes a file that the write created.
TEST_F(IniFileTest, RestoreUndoesWrite) {
    const std::wstring path = root_ + L"\\dat.ini";
    TIniFile ini(path);
    const IniFileState none = ini.WriteString("111", "key", "V");
    EXPECT_FALSE(none.existed);
    EXPECT_TRUE(ini.Restore(none));
    EXPECT_FALSE(Exists(path));
    EXPECT_TRUE(ini.Restore(none));  // nothing to remove

    WriteBytes(path, "[a]\r\nx=1");
    const IniFileState old = ini.WriteString("111", "key", "V");
    EXPECT_EQ("[a]\r\nx=1\r\n[111]\r\nkey=V\r\n", ReadBytes(path));
    EXPECT_TRUE(ini.Restore(old));
    EXPECT_EQ("[a]\r\nx=1", ReadBytes(path));
}

// An existing file is replaced whole through a temporary file and a rename:
// every edit that rewrites it leaves the new bytes, the file's hidden and
// system attributes, and no other file in the folder.
TEST_F(IniFileTest, RewriteKeepsAttributesAndLeavesNoTemporaryFile) {
    const std::wstring path = root_ + L"\\dat.ini";
    const std::string viewer = "[view]\r\nmode=list\r\n";
    const std::string record = "[111]\r\nkey=V\r\n";
    struct Case {
        const char* name;
        std::string before;
        std::function<bool(TIniFile&)> edit;
        std::string after;
    };
    const std::vector<Case> cases = {
        {"write", viewer, [](TIniFile& ini) { return ini.WriteString("111", "key", "V").existed; }, viewer + record},
        {"delete the entry", viewer + record, [](TIniFile& ini) { return ini.DeleteKey("111", "key"); }, viewer},
        {"restore", viewer + record, [&viewer](TIniFile& ini) { return ini.Restore({true, viewer}); }, viewer},
    };
    const DWORD hiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    for (const DWORD attributes : {DWORD{FILE_ATTRIBUTE_NORMAL}, hiddenSystem}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + ", attributes " + std::to_string(attributes));
            WriteBytes(path, c.before);
            ASSERT_TRUE(SetFileAttributesW(Extended(path).c_str(), attributes));
            TIniFile ini(path);
            EXPECT_TRUE(c.edit(ini));
            EXPECT_EQ(c.after, ReadBytes(path));
            const DWORD now = GetFileAttributesW(Extended(path).c_str());
            EXPECT_EQ(attributes & hiddenSystem, now & hiddenSystem);
            EXPECT_EQ(std::vector<std::wstring>{L"dat.ini"}, ListNames(root_));
            SetFileAttributesW(Extended(path).c_str(), FILE_ATTRIBUTE_NORMAL);
        }
    }
}

// A file that another program holds open cannot be replaced: the rewrite
// fails, the file keeps its bytes and the temporary file is gone again.
TEST_F(IniFileTest, RewriteOfFileHeldOpenFailsCleanly) {
    const std::wstring path = root_ + L"\\dat.ini";
    const std::string before = "[view]\r\nmode=list\r\n[111]\r\nkey=V\r\n";
    WriteBytes(path, before);
    HANDLE held = CreateFileW(Extended(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    TIniFile ini(path);
    EXPECT_THROW(ini.WriteString("111", "key", "W"), Exception);
    EXPECT_FALSE(ini.DeleteKey("111", "key"));
    CloseHandle(held);
    EXPECT_EQ(before, ReadBytes(path));
    EXPECT_EQ(std::vector<std::wstring>{L"dat.ini"}, ListNames(root_));
}

TEST_F(IniFileTest, ReadStringDefaults) {
    const std::wstring path = root_ + L"\\dat.ini";
    TIniFile ini(path);
    EXPECT_EQ("dflt", ini.ReadString("111", "key", "dflt"));
    TIniFile inMissingFolder(root_ + L"\\missing\\dat.ini");
    EXPECT_EQ("dflt", inMissingFolder.ReadString("111", "key", "dflt"));
    WriteBytes(path, "[111]\r\nkey = \" v \"\r\n");
    EXPECT_EQ(" v ", ini.ReadString("111", "key", "dflt"));
    EXPECT_EQ("dflt", ini.ReadString("111", "other", "dflt"));
}

}  // namespace
