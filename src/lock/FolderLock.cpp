// Locking and unlocking on the real file calls. Both renames use the
// extended forms of the two names (\\?\C:\Data\Photos and \\?\C:\Data\Photos.):
// there a final "." is kept as written and paths may be longer than MAX_PATH,
// where the plain forms would drop the dot or fail.
//
// Every step is checked. A lock whose rename fails takes its record write
// back, so that a failed call leaves the folder as it found it.
#include "lock/FolderLock.h"

#include <windows.h>

#include <optional>
#include <utility>

#include "cipher/DES.h"
#include "lock/LockPaths.h"
#include "lock/PasswordRecord.h"
#include "platform/Exception.h"
#include "platform/LongPath.h"
#include "platform/Text.h"
#include "platform/WinError.h"

namespace {

[[noreturn]] void Fail(const std::wstring& message) { throw Exception(WideToUtf8(message)); }

std::wstring Quoted(const std::wstring& path) { return L"“" + path + L"”"; }

// Refuses, before anything is written, a path whose locked name would not be
// the folder's name followed by one ".".
void CheckLockable(const std::wstring& folderPath) {
    const std::wstring what = L"无法加密" + Quoted(folderPath) + L"：";
    switch (LockPathProblem(folderPath)) {
    case PathProblem::None:
        return;
    case PathProblem::Empty:
        Fail(L"没有指定要加密的文件夹，没有做任何改动。");
    case PathProblem::Root:
        Fail(what + L"这是驱动器或共享的根目录，不能加密。没有做任何改动。");
    case PathProblem::EndsInSeparator:
        Fail(what + L"路径以“\\”结尾，请去掉末尾的分隔符后再试。没有做任何改动。");
    case PathProblem::NoName:
        Fail(what + L"路径的最后一段不是文件夹名。没有做任何改动。");
    case PathProblem::TrailingDotOrBlank:
        Fail(what + L"文件夹名以“.”或空格结尾，加密后无法恢复。没有做任何改动。");
    }
    Fail(what + L"路径无效。没有做任何改动。");
}

void CheckLocked(const std::wstring& lockedPath) {
    if (!IsLockedPath(lockedPath)) {
        Fail(L"无法解密" + Quoted(lockedPath) + L"：这不是加密文件夹的路径（加密文件夹的路径以一个“.”结尾）。没有做任何改动。");
    }
}

// The folder's directory entry under its plain and under its locked name.
struct FolderNames {
    std::wstring plain;
    std::wstring locked;
};

FolderNames NamesOf(const std::wstring& folderPath) {
    std::wstring plain = ExtendedPath(folderPath);
    std::wstring locked = plain + L".";
    return {std::move(plain), std::move(locked)};
}

bool IsDirectory(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

std::string EncodePassword(const std::wstring& password) {
    std::optional<std::string> bytes = WideToCp936(password);
    if (!bytes) {
        Fail(L"密码中有简体中文编码（GBK，代码页 936）无法表示的字符，请换一个密码。没有做任何改动。");
    }
    return *bytes;
}

void LockFolder(const std::wstring& folderPath, const std::string& password) {
    CheckLockable(folderPath);
    const std::string value = DesEncryptHex(password, RecordKey);
    const FolderNames names = NamesOf(folderPath);

    // The record is complete on disk before the rename: afterwards the plain
    // record path no longer reaches it.
    const IniFileState before = WritePasswordRecord(folderPath, value);
    if (MoveFileW(names.plain.c_str(), names.locked.c_str())) return;

    const DWORD error = GetLastError();
    const bool restored = RestorePasswordRecord(folderPath, before);
    Fail(L"无法加密文件夹" + Quoted(folderPath) + L"：" + SystemErrorText(error) + L"\n" +
         (restored ? L"文件夹没有加密，保持原名，其中的 dat.ini 已恢复原状。"
                   : L"文件夹没有加密，保持原名；但其中的 dat.ini 未能恢复原状，现在存有这次写入的密码记录。"));
}

void LockFolder(const std::wstring& folderPath, const std::wstring& password) {
    LockFolder(folderPath, EncodePassword(password));
}

void UnlockFolder(const std::wstring& lockedPath) {
    CheckLocked(lockedPath);
    const FolderNames names = NamesOf(PlainPath(lockedPath));
    if (MoveFileW(names.locked.c_str(), names.plain.c_str())) return;

    const DWORD error = GetLastError();
    Fail(L"无法解密文件夹" + Quoted(lockedPath) + L"：" + SystemErrorText(error) + L"\n" +
         (IsDirectory(names.locked) ? L"文件夹仍是加密状态，没有改动。" : L"没有找到这个加密文件夹，没有做任何改动。"));
}

bool LockedFolderExists(const std::wstring& lockedPath) {
    return IsLockedPath(lockedPath) && IsDirectory(NamesOf(PlainPath(lockedPath)).locked);
}
