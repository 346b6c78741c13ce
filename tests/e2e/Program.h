// The program under test as the end-to-end tests meet it: where it is, its
// window captions, and its two windows found and taken apart.
#pragma once

#include "e2e/Driving.h"  // <windows.h> first

#include <string>

inline constexpr wchar_t kEncryptCaption[] = L"文件夹加密-鹭汀软件2.0";
inline constexpr wchar_t kDecryptCaption[] = L"解密窗口";
inline constexpr wchar_t kBoxCaption[] = L"系统";                   // the windows' own messages
inline constexpr wchar_t kApplicationTitle[] = L"鹭汀软件之文件加密";  // caption of the error box

// FOLDERLOCK_EXE from the environment, else the build's own folderlock.exe;
// the helper modes of the driver set it themselves.
std::wstring& FolderLockExe();

struct EncryptWindow {
    HWND form;
    HWND first, second;  // the two password boxes, top to bottom
};

// Wait for the window to be visible and find its edit boxes; raise when the
// window does not come or does not look as expected.
EncryptWindow OpenEncryptWindow(const DrivenProcess& app);
HWND OpenDecryptWindow(const DrivenProcess& app, HWND* edit);
