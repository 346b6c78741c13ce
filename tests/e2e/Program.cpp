#include "e2e/Program.h"

#include <vector>

#include "e2e/Disk.h"

std::wstring& FolderLockExe() {
    static std::wstring exe = [] {
        wchar_t fromEnvironment[4096] = {};
        if (GetEnvironmentVariableW(L"FOLDERLOCK_EXE", fromEnvironment, 4096) > 0) return WindowsPath(fromEnvironment);
        return WindowsPath(Widen(FOLDERLOCK_EXE));
    }();
    return exe;
}

EncryptWindow OpenEncryptWindow(const DrivenProcess& app) {
    EncryptWindow window{app.WaitForWindow(kEncryptCaption), nullptr, nullptr};
    const std::vector<HWND> edits = Children(window.form, L"Edit");
    if (edits.size() != 2)
        throw DriveError(L"the encrypt window has " + std::to_wstring(edits.size()) + L" edit boxes");
    window.first = edits[0];
    window.second = edits[1];
    return window;
}

HWND OpenDecryptWindow(const DrivenProcess& app, HWND* edit) {
    HWND form = app.WaitForWindow(kDecryptCaption);
    const std::vector<HWND> edits = Children(form, L"Edit");
    if (edits.size() != 1)
        throw DriveError(L"the decrypt window has " + std::to_wstring(edits.size()) + L" edit boxes");
    *edit = edits[0];
    return form;
}
