// The failure table of folderlock.exe: the real program started the way the
// folder context menu starts it ("<exe>" "<argument>") on a folder prepared
// so that locking or unlocking it meets trouble (a record that cannot be
// written or read, a name that is taken, a damaged or odd record, an
// argument that names no folder the lock can work on), driven like a user
// through one attempt, its message box read and answered, the program left
// with 退出 when it stays open, and the disk checked afterwards.
//
// Every row asks the same of the program: a message that says what happened,
// no success claimed unless the attempt succeeded, and a folder that ends
// either plain or locked with its record, its own files byte for byte as
// they were, and nothing beside it touched.
#include "cipher/DES.h"
#include "e2e/Driving.h"  // <windows.h> first
#include "e2e/Disk.h"
#include "e2e/Program.h"
#include "platform/UniqueHandle.h"
#include "win/TestFolders.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <string_view>

namespace {

constexpr wchar_t kLocked[] = L"文件夹添加密码成功，请牢记您的密码！";
constexpr wchar_t kUnlocked[] = L"文件夹解密成功！";
constexpr wchar_t kWrongPassword[] = L"您输入的密码错误，请重新输入密码！";
constexpr wchar_t kUnableToWrite[] = L"Unable to write to {A}\\dat.ini.";

// The folder of every row, and its password (a Chinese one: the record holds
// its code page 936 bytes).
constexpr wchar_t kName[] = L"我的 照片";
constexpr wchar_t kPassword[] = L"密码 abc";
constexpr wchar_t kOtherPassword[] = L"另一个";

// The folder before the run: its name, and what its dat.ini holds.
enum class Name { Plain, Locked };

enum class Dat {
    None,
    Record,          // the record of kPassword, as the program writes it
    OtherRecord,     // the record of kOtherPassword
    UserContent,     // a dat.ini of the user's own, without a record
    Directory,       // a directory named dat.ini
    NotHex,          // the record of kPassword with a digit replaced by "G"
    OddLength,       // the record of kPassword with one more digit
    CutShort,        // the record of kPassword with its last digit lost
    HugeWithRecord,  // 5 MB of binary junk with the record of kPassword in its middle
    HugeWithout,     // 5 MB of binary junk, no record
    Binary,          // 4 KB of random bytes
    BinaryUtf16,     // a UTF-16 byte order mark, then 4 KB of random bytes
};

// An entry beside the folder that takes the name a rename needs: a locked
// folder of the same name with its own record (locking), or a new plain
// folder of the same name (unlocking).
enum class Beside { Nothing, LockedName, PlainName };

// The folder's parent: a short path, or one so deep that the folder's path
// is over MAX_PATH (260) characters.
enum class Where { Short, Deep };

// The program's argument, built from the folder path F.
enum class Arg {
    Folder,           // F
    FolderDot,        // F + "."
    FolderSeparator,  // F + "\"
    Relative,         // the folder's name, the program started in its parent
    RelativeDot,      // the same + "."
    DriveRoot,        // "C:\", the drive of F
    Unc,              // "\\localhost\C$\..." for F
    UncDot,           // the same + "."
    UncExtended,      // "\\?\UNC\localhost\C$\..." for F
    UncShareRoot,     // "\\localhost\C$"
};

// What the disk holds afterwards.
enum class Outcome {
    Unchanged,                  // everything as prepared
    Locked,                     // locked, dat.ini holding just the record of kPassword
    Unlocked,                   // plain, without dat.ini
    UnlockedKeepingOtherBytes,  // plain, dat.ini as prepared without the record's line
};

struct Row {
    const char* id;
    // The folder before the run.
    Name name = Name::Plain;
    Dat dat = Dat::None;
    bool datReadOnly = false;
    bool datHeldOpen = false;  // open in another program that shares it with nobody
    bool folderReadOnly = false;
    Beside beside = Beside::Nothing;
    Where where = Where::Short;
    // The run: the argument, the window that must come, what is typed (into
    // both boxes of the encrypt window) before 加密 or 解密 is pressed.
    Arg arg = Arg::Folder;
    bool decryptWindow = false;
    const wchar_t* typed = kPassword;
    // The message box: its caption (kBoxCaption for the windows' own
    // messages, kApplicationTitle for the error box) and text, exact but
    // for "*", which stands for any text (a system error text, which
    // depends on the system's language), and {A}, which stands for the
    // argument.
    const wchar_t* caption = kBoxCaption;
    const wchar_t* message = nullptr;
    Outcome outcome = Outcome::Unchanged;
};

void PrintTo(const Row& row, std::ostream* out) { *out << row.id; }

const Row kRows[] = {
    // ---- The record cannot be written: the lock is refused before the rename.
    {.id = "ReadOnlyRecordOfAnotherPassword", .dat = Dat::OtherRecord, .datReadOnly = true,
     .caption = kApplicationTitle, .message = kUnableToWrite},
    {.id = "RecordOpenInAnotherProgram", .dat = Dat::OtherRecord, .datHeldOpen = true,
     .caption = kApplicationTitle, .message = kUnableToWrite},
    {.id = "RecordNameTakenByADirectory", .dat = Dat::Directory,
     .caption = kApplicationTitle, .message = kUnableToWrite},
    // The read-only attribute of a folder does not stop the creation of files
    // in it, on Windows nor under Wine (which does not even keep it on a
    // directory), so this lock succeeds, and must say so only because it did.
    {.id = "ReadOnlyFolder", .folderReadOnly = true, .message = kLocked, .outcome = Outcome::Locked},

    // ---- A name a rename needs is taken: the record write is taken back.
    {.id = "LockedNameTaken", .beside = Beside::LockedName, .caption = kApplicationTitle,
     .message = L"无法加密文件夹“{A}”：*\n文件夹没有加密，保持原名，其中的 dat.ini 已恢复原状。"},
    {.id = "LockedNameTakenUserDatIniRestored", .dat = Dat::UserContent, .beside = Beside::LockedName,
     .caption = kApplicationTitle,
     .message = L"无法加密文件夹“{A}”：*\n文件夹没有加密，保持原名，其中的 dat.ini 已恢复原状。"},
    {.id = "PlainNameTakenWhenUnlocking", .name = Name::Locked, .dat = Dat::Record, .beside = Beside::PlainName,
     .arg = Arg::FolderDot, .decryptWindow = true, .caption = kApplicationTitle,
     .message = L"无法解密文件夹“{A}”：*\n文件夹仍是加密状态，没有改动。"},

    // ---- The record of a locked folder is missing, unreadable or damaged.
    // Without a record the stored password is the empty one: any other text
    // is wrong, and the folder is not given a record it never had.
    {.id = "RecordMissing", .name = Name::Locked, .arg = Arg::FolderDot, .decryptWindow = true,
     .message = kWrongPassword},
    {.id = "RecordMissingEmptyPasswordUnlocks", .name = Name::Locked, .arg = Arg::FolderDot,
     .decryptWindow = true, .typed = L"", .message = kUnlocked, .outcome = Outcome::Unlocked},
    {.id = "RecordOpenInAnotherProgramWhenUnlocking", .name = Name::Locked, .dat = Dat::Record,
     .datHeldOpen = true, .arg = Arg::FolderDot, .decryptWindow = true, .caption = kApplicationTitle,
     .message = L"无法读取文件“*{A}\\dat.ini”：*\n文件夹仍处于加密状态。"},
    {.id = "RecordNotHexadecimal", .name = Name::Locked, .dat = Dat::NotHex, .arg = Arg::FolderDot,
     .decryptWindow = true, .caption = kApplicationTitle, .message = L"Error: not a Hex String\n文件夹仍处于加密状态。"},
    // A last odd digit is no part of any byte and is ignored: the record
    // still holds the password, so the right one unlocks, the wrong one not.
    {.id = "RecordOfOddLengthRightPassword", .name = Name::Locked, .dat = Dat::OddLength, .arg = Arg::FolderDot,
     .decryptWindow = true, .message = kUnlocked, .outcome = Outcome::Unlocked},
    {.id = "RecordOfOddLengthWrongPassword", .name = Name::Locked, .dat = Dat::OddLength, .arg = Arg::FolderDot,
     .decryptWindow = true, .typed = L"密码 abd", .message = kWrongPassword},
    // A record that lost a digit holds no whole block: the password cannot
    // match, and the attempt must not write the cut value back.
    {.id = "RecordCutShortByOneDigit", .name = Name::Locked, .dat = Dat::CutShort, .arg = Arg::FolderDot,
     .decryptWindow = true, .message = kWrongPassword},
    // Big and binary files are read whole, without a crash or a hang; only
    // the record's own line is removed from a dat.ini that holds more.
    {.id = "HugeDatIniWithRecord", .name = Name::Locked, .dat = Dat::HugeWithRecord, .arg = Arg::FolderDot,
     .decryptWindow = true, .message = kUnlocked, .outcome = Outcome::UnlockedKeepingOtherBytes},
    {.id = "HugeDatIniWithoutRecord", .name = Name::Locked, .dat = Dat::HugeWithout, .arg = Arg::FolderDot,
     .decryptWindow = true, .message = kWrongPassword},
    {.id = "BinaryDatIni", .name = Name::Locked, .dat = Dat::Binary, .arg = Arg::FolderDot, .decryptWindow = true,
     .message = kWrongPassword},
    {.id = "BinaryUtf16DatIni", .name = Name::Locked, .dat = Dat::BinaryUtf16, .arg = Arg::FolderDot,
     .decryptWindow = true, .message = kWrongPassword},

    // ---- Arguments that name no folder the lock can work on.
    {.id = "DotArgumentNamingAPlainFolder", .dat = Dat::UserContent, .arg = Arg::FolderDot, .decryptWindow = true,
     .message = L"没有找到加密的文件夹：{A}"},
    {.id = "DriveRoot", .arg = Arg::DriveRoot, .caption = kApplicationTitle,
     .message = L"无法加密“{A}”：这是驱动器或共享的根目录，不能加密。没有做任何改动。"},
    {.id = "UncShareRoot", .arg = Arg::UncShareRoot, .caption = kApplicationTitle,
     .message = L"无法加密“{A}”：这是驱动器或共享的根目录，不能加密。没有做任何改动。"},
    {.id = "PathEndingInASeparator", .arg = Arg::FolderSeparator, .caption = kApplicationTitle,
     .message = L"无法加密“{A}”：路径以“\\”结尾，请去掉末尾的分隔符后再试。没有做任何改动。"},

    // ---- Unusual but sound paths: they work both ways.
    {.id = "RelativePathLocks", .arg = Arg::Relative, .message = kLocked, .outcome = Outcome::Locked},
    {.id = "RelativePathUnlocks", .name = Name::Locked, .dat = Dat::Record, .arg = Arg::RelativeDot,
     .decryptWindow = true, .message = kUnlocked, .outcome = Outcome::Unlocked},
    {.id = "PathOver260CharactersLocks", .where = Where::Deep, .message = kLocked, .outcome = Outcome::Locked},
    {.id = "PathOver260CharactersUnlocks", .name = Name::Locked, .dat = Dat::Record, .where = Where::Deep,
     .arg = Arg::FolderDot, .decryptWindow = true, .message = kUnlocked, .outcome = Outcome::Unlocked},
    {.id = "UncPathLocks", .arg = Arg::Unc, .message = kLocked, .outcome = Outcome::Locked},
    {.id = "UncPathUnlocks", .name = Name::Locked, .dat = Dat::Record, .arg = Arg::UncDot, .decryptWindow = true,
     .message = kUnlocked, .outcome = Outcome::Unlocked},
    {.id = "ExtendedUncPathLocks", .arg = Arg::UncExtended, .message = kLocked, .outcome = Outcome::Locked},
};

// ---- The files of a row.

std::string RecordOf(const wchar_t* password) {
    return "[111]\r\nkey=" + DesEncryptHex(Cp936(password), "TORVAN") + "\r\n";
}

// Reproducible random bytes; never a UTF-16 byte order mark at the start.
std::string Junk(std::size_t size, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random() & 0xFF);
    if (!bytes.empty() && (bytes[0] == '\xFF' || bytes[0] == '\xFE')) bytes[0] = '#';
    return bytes;
}

constexpr std::size_t kHuge = 5u << 20;

// The bytes of dat.ini for dat (nullopt: no file).
std::optional<std::string> DatBytes(Dat dat) {
    const std::string record = RecordOf(kPassword);
    switch (dat) {
    case Dat::None:
    case Dat::Directory:
        return std::nullopt;
    case Dat::Record:
        return record;
    case Dat::OtherRecord:
        return RecordOf(kOtherPassword);
    case Dat::UserContent:
        return "[设置]\r\n名称=用户自己的\r\n";
    case Dat::NotHex: {
        std::string damaged = record;
        damaged[damaged.find('=') + 5] = 'G';
        return damaged;
    }
    case Dat::OddLength:
        return record.substr(0, record.size() - 2) + "7\r\n";
    case Dat::CutShort:
        return record.substr(0, record.size() - 3) + "\r\n";
    case Dat::HugeWithRecord:
        return Junk(kHuge / 2, 1) + "\r\n" + record + Junk(kHuge / 2, 2);
    case Dat::HugeWithout:
        return Junk(kHuge, 3);
    case Dat::Binary:
        return Junk(4096, 4);
    case Dat::BinaryUtf16:
        return "\xFF\xFE" + Junk(4096, 5);
    }
    return std::nullopt;
}

// The record's line removed: what unlocking leaves of a dat.ini that holds
// more than the record.
std::string WithoutRecordLine(std::string bytes) {
    const std::string line = "key=" + DesEncryptHex(Cp936(kPassword), "TORVAN") + "\r\n";
    const std::size_t at = bytes.find(line);
    if (at != std::string::npos) bytes.erase(at, line.size());
    return bytes;
}

// The value of the record in dat.ini bytes that hold just a record.
std::string RecordValue(const std::string& bytes) {
    const std::string head = "[111]\r\nkey=";
    if (bytes.compare(0, head.size(), head) != 0 || bytes.size() < head.size() + 2) return {};
    return bytes.substr(head.size(), bytes.size() - head.size() - 2);
}

// The snapshot with every entry of the folder moved from one name to the other.
DiskSnapshot Renamed(const DiskSnapshot& snapshot, const std::wstring& from, const std::wstring& to) {
    DiskSnapshot renamed;
    for (const auto& [path, entry] : snapshot) {
        if (path == from)
            renamed[to] = entry;
        else if (path.compare(0, from.size() + 1, from + L"\\") == 0)
            renamed[to + path.substr(from.size())] = entry;
        else
            renamed[path] = entry;
    }
    return renamed;
}

std::wstring Replaced(std::wstring text, const std::wstring& what, const std::wstring& with) {
    for (std::size_t at = text.find(what); at != std::wstring::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

// Whether text is pattern, where "*" in pattern stands for any text.
bool Matches(std::wstring_view text, std::wstring_view pattern) {
    std::size_t t = 0, p = 0, star = std::wstring_view::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == L'*') {
            star = p++;
            resume = t;
        } else if (p < pattern.size() && pattern[p] == text[t]) {
            ++p;
            ++t;
        } else if (star != std::wstring_view::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*') ++p;
    return p == pattern.size();
}

// The driver's current directory for a while: a program started meanwhile
// starts in it.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::wstring& directory) {
        wchar_t saved[4096] = {};
        GetCurrentDirectoryW(4096, saved);
        saved_ = saved;
        if (!SetCurrentDirectoryW(directory.c_str())) throw DriveError(L"cannot change to " + directory);
    }
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;
    ~CurrentDirectory() { SetCurrentDirectoryW(saved_.c_str()); }

private:
    std::wstring saved_;
};

// "\\localhost\C$" for a path on C:.
std::wstring ShareOf(const std::wstring& path) {
    return L"\\\\localhost\\" + path.substr(0, 1) + L"$";
}

// ---- The table.

class FailureTable : public ::testing::TestWithParam<Row> {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        static int run = 0;
        root_ = std::wstring(temp) + L"folderlock failures " + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(++run);
        MakeDir(root_);
        parent_ = root_ + L"\\文件 夹";
        MakeDir(parent_);
        if (GetParam().where == Where::Deep) {
            for (int i = 1; i <= 8; ++i) {
                parent_ += L"\\第" + std::to_wstring(i) + L"段 a rather long folder name";
                MakeDir(parent_);
            }
        }
        folder_ = parent_ + L"\\" + kName;
    }
    void TearDown() override { RemoveTree(root_); }

    // The folder of the row, under its name before the run.
    void Prepare(const Row& row) {
        MakeDir(folder_);
        MakeDir(folder_ + L"\\子目录");
        WriteBytes(folder_ + L"\\a.txt", "hello\r\n");
        WriteBytes(folder_ + L"\\子目录\\数据.bin", Junk(256, 6));
        const std::wstring dat = folder_ + L"\\dat.ini";
        if (row.dat == Dat::Directory) MakeDir(dat);
        if (const std::optional<std::string> bytes = DatBytes(row.dat)) WriteBytes(dat, *bytes);
        if (row.datReadOnly && !SetFileAttributesW(Extended(dat).c_str(), FILE_ATTRIBUTE_READONLY))
            throw DriveError(L"cannot make dat.ini read-only");
        std::wstring now = folder_;
        if (row.name == Name::Locked) {
            now = folder_ + L".";
            if (!MoveFileW(Extended(folder_).c_str(), Extended(now).c_str()))
                throw DriveError(L"cannot lock " + folder_);
        }
        if (row.folderReadOnly && !SetFileAttributesW(Extended(now).c_str(), FILE_ATTRIBUTE_READONLY))
            throw DriveError(L"cannot make the folder read-only");
        if (row.beside == Beside::LockedName) {
            MakeDir(folder_ + L".");
            WriteBytes(folder_ + L".\\dat.ini", RecordOf(kOtherPassword));
            WriteBytes(folder_ + L".\\旧.txt", "an older folder of the same name\r\n");
        } else if (row.beside == Beside::PlainName) {
            MakeDir(folder_);
            WriteBytes(folder_ + L"\\新.txt", "a newer folder of the same name\r\n");
        }
    }

    std::wstring Argument(Arg arg) const {
        switch (arg) {
        case Arg::Folder:
            return folder_;
        case Arg::FolderDot:
            return folder_ + L".";
        case Arg::FolderSeparator:
            return folder_ + L"\\";
        case Arg::Relative:
            return kName;
        case Arg::RelativeDot:
            return kName + std::wstring(L".");
        case Arg::DriveRoot:
            return folder_.substr(0, 3);
        case Arg::Unc:
            return ShareOf(folder_) + folder_.substr(2);
        case Arg::UncDot:
            return ShareOf(folder_) + folder_.substr(2) + L".";
        case Arg::UncExtended:
            return L"\\\\?\\UNC" + ShareOf(folder_).substr(1) + folder_.substr(2);
        case Arg::UncShareRoot:
            return ShareOf(folder_);
        }
        return {};
    }

    std::wstring root_, parent_, folder_;
};

TEST_P(FailureTable, ClearMessageAndAWholeFolder) {
    const Row& row = GetParam();
    if (row.where == Where::Deep) {
        ASSERT_GT(folder_.size(), 260u) << "the row needs a path over MAX_PATH";
    }
    if (row.arg == Arg::Unc || row.arg == Arg::UncDot || row.arg == Arg::UncExtended) {
        const DWORD share = GetFileAttributesW((ShareOf(parent_) + parent_.substr(2)).c_str());
        if (share == INVALID_FILE_ATTRIBUTES || !(share & FILE_ATTRIBUTE_DIRECTORY))
            GTEST_SKIP() << Utf8(L"the share " + ShareOf(parent_) + L" does not reach " + parent_ +
                                 L" here (under Wine it is the prefix's dosdevices\\unc\\localhost\\c$)");
    }
    Prepare(row);
    const std::wstring argument = Argument(row.arg);
    SCOPED_TRACE(Utf8(L"argument " + argument));
    const DiskSnapshot before = DiskSnapshotOf(parent_);
    const std::wstring rootRecord = folder_.substr(0, 3) + L"dat.ini";
    const bool rootRecordBefore = Exists(rootRecord);

    SeenMessageBox box;
    {
        std::optional<UniqueHandle> held;
        if (row.datHeldOpen) {
            const std::wstring dat = folder_ + (row.name == Name::Locked ? L".\\dat.ini" : L"\\dat.ini");
            HANDLE file = CreateFileW(Extended(dat).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            if (file == INVALID_HANDLE_VALUE) throw DriveError(L"cannot open " + dat);
            held.emplace(file);
        }
        std::optional<CurrentDirectory> startIn;
        if (row.arg == Arg::Relative || row.arg == Arg::RelativeDot) startIn.emplace(parent_);
        DrivenProcess app(FolderLockExe(), {argument});
        startIn.reset();

        HWND form = nullptr;
        if (row.decryptWindow) {
            HWND edit = nullptr;
            form = OpenDecryptWindow(app, &edit);
            EXPECT_EQ(nullptr, app.Window(kEncryptCaption, true)) << "only the decrypt window is shown";
            SetText(edit, row.typed);
            Click(ChildByText(form, L"Button", L"解密"));
        } else {
            const EncryptWindow window = OpenEncryptWindow(app);
            form = window.form;
            SetText(window.first, row.typed);
            SetText(window.second, row.typed);
            Click(ChildByText(form, L"Button", L"加密"));
        }
        box = app.WaitForMessageBox();
        PressOk(box);
        // A success ends the program; after anything else the window stays
        // for another try, and the user leaves it.
        if (box.text == kLocked || box.text == kUnlocked) {
            EXPECT_EQ(0u, app.WaitForExit());
        } else {
            EXPECT_TRUE(app.Running()) << "the window stays open after " << Utf8(box.text);
            Click(ChildByText(form, L"Button", L"退出"));
            EXPECT_EQ(0u, app.WaitForExit());
        }
    }

    const std::wstring expected = Replaced(row.message, L"{A}", argument);
    EXPECT_EQ(Utf8(row.caption), Utf8(box.caption));
    EXPECT_TRUE(Matches(box.text, expected)) << "shown:    " << Utf8(box.text) << "\nexpected: " << Utf8(expected);
    if (row.outcome == Outcome::Unchanged) {
        EXPECT_TRUE(box.text != kLocked && box.text != kUnlocked) << "success claimed: " << Utf8(box.text);
    }

    // The disk: the folder as the row expects, everything else as it was.
    const std::wstring plain = kName, locked = plain + L".";
    const DiskSnapshot after = DiskSnapshotOf(parent_);
    DiskSnapshot want = before;
    switch (row.outcome) {
    case Outcome::Unchanged:
        break;
    case Outcome::Locked: {
        want = Renamed(before, plain, locked);
        want[locked + L"\\dat.ini"] = DiskEntry{false, 0, RecordOf(kPassword)};
        const auto record = after.find(locked + L"\\dat.ini");
        ASSERT_NE(after.end(), record) << "locked without a record";
        EXPECT_EQ(Cp936(kPassword), DesDecryptHex(RecordValue(record->second.bytes), "TORVAN"))
            << "the record holds the password";
        break;
    }
    case Outcome::Unlocked:
        want = Renamed(before, locked, plain);
        want.erase(plain + L"\\dat.ini");
        break;
    case Outcome::UnlockedKeepingOtherBytes:
        want = Renamed(before, locked, plain);
        want[plain + L"\\dat.ini"].bytes = WithoutRecordLine(*DatBytes(row.dat));
        break;
    }
    EXPECT_EQ("", SnapshotDifference(want, after));
    EXPECT_EQ(rootRecordBefore, Exists(rootRecord)) << "nothing is written to the drive's root";
}

INSTANTIATE_TEST_SUITE_P(Rows, FailureTable, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& info) { return std::string(info.param.id); });

}  // namespace
