// End-to-end tests of folderlock.exe: the real program, started the way the
// folder context menu starts it ("<exe>" "<folder>"), driven from this
// process through its windows, and checked on disk afterwards.
//
// The same executable has two helper modes for the scripts:
//   e2e_tests --show encrypt|decrypt|message EXE FOLDER
//       leaves folderlock.exe running with the window (and for "message" the
//       wrong-password box) on screen and prints its screen rectangle as
//       "RECT left top right bottom" (scripts/screenshots.sh);
//   e2e_tests --bench-startup RUNS EXE...
//       times start-up until the window is visible and idle, and reads the
//       peak working set, for each program in turn (scripts/bench.sh).
// Without these it runs the GoogleTest tests.
#include "cipher/DES.h"
#include "e2e/Driving.h"  // <windows.h> first
#include "e2e/Disk.h"
#include "e2e/Program.h"
#include "win/TestFolders.h"

#include <gtest/gtest.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

// ---- Driving the two windows.

// Waits for a message box, checks its caption and text, presses OK.
void ExpectMessageBox(const DrivenProcess& app, const std::wstring& caption, const std::wstring& text) {
    const SeenMessageBox box = app.WaitForMessageBox();
    EXPECT_EQ(Utf8(caption), Utf8(box.caption));
    EXPECT_EQ(Utf8(text), Utf8(box.text));
    PressOk(box);
}

// Locks folder through the encrypt window, the way a user does.
void LockThroughEncryptWindow(const std::wstring& folder, const std::wstring& password) {
    DrivenProcess app(FolderLockExe(), {folder});
    const EncryptWindow window = OpenEncryptWindow(app);
    SetText(window.first, password);
    SetText(window.second, password);
    Click(ChildByText(window.form, L"Button", L"加密"));
    const SeenMessageBox box = app.WaitForMessageBox();
    if (box.text != L"文件夹添加密码成功，请牢记您的密码！")
        throw DriveError(L"locking " + folder + L" said: " + box.text);
    PressOk(box);
    app.WaitForExit();
}

// ---- Tests.

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        static int run = 0;
        root_ = std::wstring(temp) + L"folderlock e2e " + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(++run);
        // Blanks and Chinese in the path: the command line must quote it and
        // the program must keep it as UTF-16 all the way.
        parent_ = root_ + L"\\文件 夹";
        folder_ = parent_ + L"\\我的 照片";
        MakeDir(root_);
        MakeDir(parent_);
        MakeDir(folder_);
        MakeDir(folder_ + L"\\子目录");
        WriteBytes(folder_ + L"\\a.txt", "hello\r\n");
        std::string binary;
        for (int i = 0; i < 256; ++i) binary += static_cast<char>(i);
        WriteBytes(folder_ + L"\\子目录\\数据.bin", binary);
    }
    void TearDown() override { RemoveTree(root_); }

    // Names in UTF-8, so that a failure prints them readably.
    static std::vector<std::string> Names(std::initializer_list<const wchar_t*> names) {
        std::vector<std::string> utf8;
        for (const wchar_t* name : names) utf8.push_back(Utf8(name));
        return utf8;
    }
    std::vector<std::string> Listing() const {
        std::vector<std::string> utf8;
        for (const std::wstring& name : ListNames(parent_)) utf8.push_back(Utf8(name));
        return utf8;
    }
    std::string LockedRecord() const { return ReadBytes(folder_ + L".\\dat.ini"); }

    std::wstring root_, parent_, folder_;
};

TEST_F(EndToEnd, LocksAndUnlocksAFolderThroughBothWindows) {
    const std::wstring password = L"密码 abc";
    const auto before = Snapshot(folder_);
    {
        DrivenProcess app(FolderLockExe(), {folder_});
        const EncryptWindow window = OpenEncryptWindow(app);
        HWND encrypt = ChildByText(window.form, L"Button", L"加密");

        SetText(window.first, password);
        SetText(window.second, password + L"x");
        Click(encrypt);
        ExpectMessageBox(app, kBoxCaption, L"两次输入的密码不一致，请重新输入！");
        EXPECT_TRUE(app.WaitForFocus(window.form, window.second))
            << "the focus goes back to the second box; " << app.FocusReport(window.form);
        EXPECT_EQ(Names({L"我的 照片"}), Listing());
        EXPECT_FALSE(Exists(folder_ + L"\\dat.ini")) << "nothing is written on a mismatch";

        SetText(window.second, password);
        Click(encrypt);
        ExpectMessageBox(app, kBoxCaption, L"文件夹添加密码成功，请牢记您的密码！");
        EXPECT_EQ(0u, app.WaitForExit());
    }
    ASSERT_EQ(Names({L"我的 照片."}), Listing()) << "the folder has its locked name";

    // The record: one section, one key, the password's GBK bytes enciphered,
    // 16 upper-case hex digits per started 8-byte block.
    const std::string record = LockedRecord();
    const std::string head = "[111]\r\nkey=";
    ASSERT_GT(record.size(), head.size() + 2);
    EXPECT_EQ(head, record.substr(0, head.size()));
    EXPECT_EQ("\r\n", record.substr(record.size() - 2));
    const std::string value = record.substr(head.size(), record.size() - head.size() - 2);
    EXPECT_EQ((Cp936(password).size() + 7) / 8 * 16, value.size()) << value;
    EXPECT_EQ(std::string::npos, value.find_first_not_of("0123456789ABCDEF")) << value;
    EXPECT_EQ(Cp936(password), DesDecryptHex(value, "TORVAN"));

    {
        DrivenProcess app(FolderLockExe(), {folder_ + L"."});
        HWND edit = nullptr;
        HWND form = OpenDecryptWindow(app, &edit);
        EXPECT_EQ(nullptr, app.Window(kEncryptCaption, true)) << "only the decrypt window is shown";
        HWND decrypt = ChildByText(form, L"Button", L"解密");

        SetText(edit, L"密码 ABC");  // differs only in letter case
        Click(decrypt);
        ExpectMessageBox(app, kBoxCaption, L"您输入的密码错误，请重新输入密码！");
        EXPECT_TRUE(app.WaitForFocus(form, edit)) << "the focus goes back to the box; " << app.FocusReport(form);
        EXPECT_EQ(Names({L"我的 照片."}), Listing()) << "a wrong password leaves the folder locked";
        EXPECT_EQ(record, LockedRecord()) << "with its record as it was";

        SetText(edit, password);
        Click(decrypt);
        ExpectMessageBox(app, kBoxCaption, L"文件夹解密成功！");
        EXPECT_EQ(0u, app.WaitForExit());
    }
    EXPECT_EQ(Names({L"我的 照片"}), Listing());
    EXPECT_FALSE(Exists(folder_ + L"\\dat.ini"));
    EXPECT_EQ(before, Snapshot(folder_)) << "the folder's own files are untouched";
}

// Edit2Exit: the focus cannot leave the second box while the two texts
// differ, whether it leaves by Tab (handled by the program's own dialog
// navigation) or by a click into the first box.
TEST_F(EndToEnd, SecondBoxKeepsTheFocusWhileThePasswordsDiffer) {
    DrivenProcess app(FolderLockExe(), {folder_});
    const EncryptWindow window = OpenEncryptWindow(app);
    HWND quit = ChildByText(window.form, L"Button", L"退出");
    ASSERT_TRUE(app.WaitForFocus(window.form, window.first))
        << "the window opens with the focus in the first box; " << app.FocusReport(window.form);

    SetText(window.first, L"abc");
    PressTab(window.first);  // leaving the first box never warns
    ASSERT_TRUE(app.WaitForFocus(window.form, window.second)) << app.FocusReport(window.form);
    ASSERT_EQ(nullptr, app.MessageBoxWindow());

    enum class Leave { Tab, ClickIntoFirstBox };
    struct Move {
        const wchar_t* second;
        Leave leave;
        bool warns;
    };
    const Move kMoves[] = {
        {L"", Leave::Tab, true},                  // empty: the mismatch warning, not the empty one
        {L"abd", Leave::ClickIntoFirstBox, true},
        {L"ABC", Leave::Tab, true},               // letter case counts
        {L"abc ", Leave::Tab, true},              // so does a trailing blank
        {L"abc", Leave::Tab, false},              // equal: the focus moves on to 退出
    };
    for (const Move& move : kMoves) {
        SCOPED_TRACE(Utf8(std::wstring(L"second box \"") + move.second + L"\", " +
                          (move.leave == Leave::Tab ? L"Tab" : L"click into the first box")));
        ASSERT_TRUE(app.WaitForFocus(window.form, window.second)) << app.FocusReport(window.form);
        SetText(window.second, move.second);
        if (move.leave == Leave::Tab)
            PressTab(window.second);
        else
            ClickInto(window.first);
        if (move.warns) {
            ExpectMessageBox(app, kBoxCaption, L"两次输入的密码不一致，请重新输入！");
            EXPECT_TRUE(app.WaitForFocus(window.form, window.second))
                << "the focus goes back to the second box; " << app.FocusReport(window.form);
        } else {
            EXPECT_TRUE(app.WaitForFocus(window.form, quit)) << app.FocusReport(window.form);
            Sleep(500);
            EXPECT_EQ(nullptr, app.MessageBoxWindow());
        }
    }
    Click(quit);
    EXPECT_EQ(0u, app.WaitForExit());
    EXPECT_EQ(Names({L"我的 照片"}), Listing());
    EXPECT_FALSE(Exists(folder_ + L"\\dat.ini"));
}

TEST_F(EndToEnd, WithoutAFolderTheEncryptWindowRefusesAndEnds) {
    DrivenProcess app(FolderLockExe(), {});
    const EncryptWindow window = OpenEncryptWindow(app);
    SetText(window.first, L"abc");
    SetText(window.second, L"abc");
    Click(ChildByText(window.form, L"Button", L"加密"));
    ExpectMessageBox(app, kBoxCaption, L"没有可加密的文件夹，请从文件夹上右键启动加密程序！");
    EXPECT_EQ(0u, app.WaitForExit());
}

// In locked mode the main window is hidden: closing the decrypt window, or
// 退出, must end the process instead of leaving it running with nothing on
// screen, and the folder stays locked.
TEST_F(EndToEnd, LeavingTheDecryptWindowEndsTheProgramAndKeepsTheLock) {
    LockThroughEncryptWindow(folder_, L"abc");
    ASSERT_EQ(Names({L"我的 照片."}), Listing());
    const std::string record = LockedRecord();

    const struct {
        const char* how;
        void (*leave)(HWND form);
    } kWays[] = {
        {"close box", [](HWND form) { PostMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"退出", [](HWND form) { Click(ChildByText(form, L"Button", L"退出")); }},
    };
    for (const auto& way : kWays) {
        SCOPED_TRACE(way.how);
        DrivenProcess app(FolderLockExe(), {folder_ + L"."});
        HWND edit = nullptr;
        HWND form = OpenDecryptWindow(app, &edit);
        SetText(edit, L"abc");  // typed but not submitted
        way.leave(form);
        EXPECT_EQ(0u, app.WaitForExit());
        EXPECT_EQ(Names({L"我的 照片."}), Listing());
        EXPECT_EQ(record, LockedRecord());
    }
}

// A path ending in "." that names no locked folder: refused, nothing created.
TEST_F(EndToEnd, DecryptWindowRefusesAPathThatNamesNoLockedFolder) {
    const std::wstring missing = parent_ + L"\\不存在.";
    DrivenProcess app(FolderLockExe(), {missing});
    HWND edit = nullptr;
    HWND form = OpenDecryptWindow(app, &edit);
    SetText(edit, L"abc");
    Click(ChildByText(form, L"Button", L"解密"));
    ExpectMessageBox(app, kBoxCaption, L"没有找到加密的文件夹：" + missing);
    EXPECT_TRUE(app.Running()) << "the window stays open for another try";
    EXPECT_EQ(Names({L"我的 照片"}), Listing());
    Click(ChildByText(form, L"Button", L"退出"));
    EXPECT_EQ(0u, app.WaitForExit());
}

// The default value of a key below HKEY_CLASSES_ROOT; nullopt when missing.
std::optional<std::wstring> ClassesDefault(const std::wstring& key) {
    wchar_t value[4096];
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(value);
}

// Every start writes the context-menu entry, in both modes, with the
// program's own path; 删除右键 and a double click on the decrypt window
// remove it, and the next start writes it again.
TEST_F(EndToEnd, EveryStartWritesTheMenuEntryAndTheWindowsRemoveIt) {
    const std::wstring menuKey = L"Folder\\Shell\\devadu";
    const std::wstring expectedCommand = L"\"" + FolderLockExe() + L"\" \"%1\"";
    const auto expectEntry = [&] {
        EXPECT_EQ(std::optional<std::wstring>(L"加密/解密文件夹"), ClassesDefault(menuKey));
        const std::optional<std::wstring> command = ClassesDefault(menuKey + L"\\command");
        ASSERT_TRUE(command.has_value());
        // The same path as the system names it; a drive letter may differ in case.
        EXPECT_EQ(CSTR_EQUAL, CompareStringOrdinal(command->c_str(), -1, expectedCommand.c_str(), -1, TRUE))
            << Utf8(*command);
    };
    {
        DrivenProcess app(FolderLockExe(), {parent_ + L"\\不存在."});  // locked mode
        HWND edit = nullptr;
        HWND form = OpenDecryptWindow(app, &edit);
        expectEntry();
        PostMessageW(form, WM_LBUTTONDBLCLK, 0, MAKELPARAM(3, 3));  // the window's own surface
        ExpectMessageBox(app, L"成功", L"成功删除系统右键菜单！");
        EXPECT_FALSE(ClassesDefault(menuKey).has_value());
        Click(ChildByText(form, L"Button", L"退出"));
        EXPECT_EQ(0u, app.WaitForExit());
    }
    DrivenProcess app(FolderLockExe(), {folder_});
    const EncryptWindow window = OpenEncryptWindow(app);
    expectEntry();
    Click(ChildByText(window.form, L"Button", L"删除右键"));
    ExpectMessageBox(app, L"成功", L"成功删除系统右键菜单！");
    EXPECT_FALSE(ClassesDefault(menuKey).has_value());
    EXPECT_TRUE(app.Running()) << "the window stays open";
    Click(ChildByText(window.form, L"Button", L"退出"));
    EXPECT_EQ(0u, app.WaitForExit());
}

// ---- Helper modes.

void PrintRect(RECT rect) {
    std::printf("RECT %ld %ld %ld %ld\n", static_cast<long>(rect.left), static_cast<long>(rect.top),
                static_cast<long>(rect.right), static_cast<long>(rect.bottom));
    std::fflush(stdout);
}

int Show(const std::wstring& what, const std::wstring& exe, const std::wstring& folder) {
    FolderLockExe() = exe;
    RECT rect{};
    if (what == L"encrypt") {
        DrivenProcess app(FolderLockExe(), {folder});
        const EncryptWindow window = OpenEncryptWindow(app);
        SetText(window.first, L"secret");
        SetText(window.second, L"secret");
        GetWindowRect(window.form, &rect);
        app.Detach();
    } else if (what == L"decrypt" || what == L"message") {
        LockThroughEncryptWindow(folder, L"secret");
        DrivenProcess app(FolderLockExe(), {folder + L"."});
        HWND edit = nullptr;
        HWND form = OpenDecryptWindow(app, &edit);
        SetText(edit, L"wrong");
        GetWindowRect(form, &rect);
        if (what == L"message") {
            Click(ChildByText(form, L"Button", L"解密"));
            RECT box{};
            GetWindowRect(app.WaitForMessageBox().window, &box);
            UnionRect(&rect, &rect, &box);
        }
        app.Detach();
    } else {
        std::fprintf(stderr, "--show encrypt|decrypt|message EXE FOLDER\n");
        return 2;
    }
    Sleep(500);  // let the window paint before the caller captures it
    PrintRect(rect);
    return 0;
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Start-up as the user sees it: from CreateProcess until a window of the
// program is visible and the program waits for input. Programs take turns,
// so that a slow phase of the machine hits all of them alike.
int BenchStartup(int runs, const std::vector<std::wstring>& exes) {
    std::vector<std::vector<double>> times(exes.size());
    std::vector<SIZE_T> peak(exes.size(), 0);
    for (int run = 0; run < runs; ++run) {
        for (size_t i = 0; i < exes.size(); ++i) {
            LARGE_INTEGER start, shown;
            QueryPerformanceCounter(&start);
            DrivenProcess app(exes[i], {});  // returns after WaitForInputIdle
            HWND window = app.WaitForWindow(L"");
            QueryPerformanceCounter(&shown);
            times[i].push_back(Milliseconds(start, shown));
            PROCESS_MEMORY_COUNTERS memory{};
            memory.cb = sizeof(memory);
            if (GetProcessMemoryInfo(app.Handle(), &memory, sizeof(memory)))
                peak[i] = std::max(peak[i], memory.PeakWorkingSetSize);
            PostMessageW(window, WM_CLOSE, 0, 0);
            app.WaitForExit();
        }
    }
    for (size_t i = 0; i < exes.size(); ++i) {
        std::vector<double>& t = times[i];
        std::sort(t.begin(), t.end());
        const double median = (t[(t.size() - 1) / 2] + t[t.size() / 2]) / 2;
        std::printf("STARTUP %u %.1f %.1f %.1f %llu\n", static_cast<unsigned>(i), median, t.front(), t.back(),
                    static_cast<unsigned long long>(peak[i] / 1024));
    }
    std::fflush(stdout);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::vector<std::wstring> args(argv, argv + argc);
    try {
        if (args.size() >= 2 && args[1] == L"--show") {
            if (args.size() != 5) {
                std::fprintf(stderr, "--show encrypt|decrypt|message EXE FOLDER\n");
                return 2;
            }
            return Show(args[2], WindowsPath(args[3]), WindowsPath(args[4]));
        }
        if (args.size() >= 2 && args[1] == L"--bench-startup") {
            if (args.size() < 4 || _wtoi(args[2].c_str()) < 1) {
                std::fprintf(stderr, "--bench-startup RUNS EXE...\n");
                return 2;
            }
            std::vector<std::wstring> exes;
            for (size_t i = 3; i < args.size(); ++i) exes.push_back(WindowsPath(args[i]));
            return BenchStartup(_wtoi(args[2].c_str()), exes);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "error: %s\n", error.what());
        return 1;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
