// The folder context-menu entry: its two registry keys, written at every
// start and deleted on request. The registry work itself is TRegistry's; the
// message box is the application's.
#include "shell/FolderMenu.h"

#include "platform/Application.h"
#include "platform/Registry.h"

#include <string>

namespace {

const std::wstring kMenuKey = L"Folder\\Shell\\devadu";
const std::wstring kCommandKey = kMenuKey + L"\\command";

// The per-user part of HKEY_CLASSES_ROOT, below HKEY_CURRENT_USER: Windows
// merges its keys into HKEY_CLASSES_ROOT (for this user, ahead of the
// machine's), and a user without administrator rights may write there.
const std::wstring kUserClasses = L"Software\\Classes\\";

// Full path of this program's file, at any length. Empty if the system
// cannot tell it.
std::wstring ProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(path.size());
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), size);
        if (length == 0) return {};
        if (length < size) {
            path.resize(length);
            return path;
        }
        // Truncated: the result filled the whole buffer.
        path.resize(path.size() * 2);
    }
}

// Writes value as the default value of the key path below
// HKEY_CLASSES_ROOT, creating it as needed. Where that key cannot be opened
// for writing (the machine part of HKEY_CLASSES_ROOT needs administrator
// rights), the same key below the per-user classes gets it instead; where
// neither opens, nothing is written and nothing said. A value write that
// fails raises Exception.
void WriteDefaultValue(const std::wstring& path, const std::wstring& value) {
    TRegistry classes(HKEY_CLASSES_ROOT);
    if (classes.OpenKey(path, true)) {
        classes.WriteString(L"", value);
        return;
    }
    TRegistry userClasses(HKEY_CURRENT_USER);
    if (userClasses.OpenKey(kUserClasses + path, true)) userClasses.WriteString(L"", value);
}

}  // namespace

void RegisterFolderMenu() {
    WriteDefaultValue(kMenuKey, L"加密/解密文件夹");
    // Without the program's path the command would start nothing: leave
    // whatever command an earlier start wrote.
    const std::wstring program = ProgramPath();
    if (program.empty()) return;
    WriteDefaultValue(kCommandKey, L"\"" + program + L"\" \"%1\"");
}

void RemoveFolderMenu(TApplication& app) {
    // The per-user copy goes first: while it exists, HKEY_CLASSES_ROOT shows
    // it in place of the machine's, and the deletion through
    // HKEY_CLASSES_ROOT would reach it rather than the machine's copy.
    TRegistry(HKEY_CURRENT_USER).DeleteKey(kUserClasses + kMenuKey);
    TRegistry(HKEY_CLASSES_ROOT).DeleteKey(kMenuKey);
    app.MessageBox(L"成功删除系统右键菜单！", L"成功", MB_ICONINFORMATION);
}
