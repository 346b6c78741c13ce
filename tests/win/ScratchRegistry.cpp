#include "win/ScratchRegistry.h"

namespace {

HKEY CreateScratch(HKEY parent, const std::wstring& path) {
    HKEY key = nullptr;
    RegCreateKeyExW(parent, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    return key;
}

}  // namespace

// The scratch keys live under HKEY_LOCAL_MACHINE, which neither override
// redirects, so they can be deleted after both overrides are undone.
ScratchRegistry::ScratchRegistry(bool alsoCurrentUser)
    : base_(L"Software\\FolderLockTests\\" + std::to_wstring(GetCurrentProcessId())) {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, base_.c_str());
    classes_ = CreateScratch(HKEY_LOCAL_MACHINE, base_ + L"\\classes");
    RegOverridePredefKey(HKEY_CLASSES_ROOT, classes_);
    if (alsoCurrentUser) {
        user_ = CreateScratch(HKEY_LOCAL_MACHINE, base_ + L"\\user");
        RegOverridePredefKey(HKEY_CURRENT_USER, user_);
    }
}

ScratchRegistry::~ScratchRegistry() {
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    if (user_) RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    if (classes_) RegCloseKey(classes_);
    if (user_) RegCloseKey(user_);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, base_.c_str());
}

bool ScratchRegistry::ReadDefault(HKEY root, const std::wstring& path, std::wstring& value) {
    wchar_t buffer[2048];
    DWORD size = sizeof(buffer);
    if (RegGetValueW(root, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return false;
    value = buffer;
    return true;
}

bool ScratchRegistry::KeyExists(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}
