// TRegistry: opening keys, writing string values and deleting key trees
// below one root, with the Unicode registry calls. Which root and which keys
// is the caller's business; failures to open or delete are reported as
// false, a failed value write as Exception.
#include "platform/Registry.h"

#include "platform/Exception.h"
#include "platform/Text.h"

#include <algorithm>

namespace {

// The longest name a registry key can have, in characters (without NUL).
constexpr DWORD kMaxKeyName = 255;

// Deletes path below base: first, with the key open, each subkey's tree from
// the last index down to the first (counting down keeps the indices of the
// subkeys not yet visited valid even when one of them cannot be deleted),
// then the key itself, whether or not it could be opened.
bool DeleteTree(HKEY base, const std::wstring& path) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(base, path.c_str(), 0, KEY_ALL_ACCESS, &opened) == ERROR_SUCCESS) {
        UniqueHKey key;
        *key.put() = opened;
        DWORD count = 0;
        DWORD longest = 0;
        if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
            // The longest length is only what the key held at the query; no
            // key name exceeds kMaxKeyName, so this buffer never truncates one.
            std::wstring name(std::max(longest, kMaxKeyName) + 1, L'\0');
            for (DWORD index = count; index-- > 0;) {
                DWORD size = static_cast<DWORD>(name.size());
                if (RegEnumKeyExW(key.get(), index, name.data(), &size, nullptr, nullptr, nullptr, nullptr) ==
                    ERROR_SUCCESS) {
                    DeleteTree(key.get(), name.substr(0, size));
                }
            }
        }
    }
    return RegDeleteKeyW(base, path.c_str()) == ERROR_SUCCESS;
}

}  // namespace

bool TRegistry::OpenKey(const std::wstring& path, bool canCreate) {
    current_.reset();
    // The out-handle is taken over only on success: what the calls leave in
    // it on failure is not documented, and must never be closed.
    HKEY opened = nullptr;
    const LSTATUS status =
        canCreate ? RegCreateKeyExW(root_, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                    nullptr, &opened, nullptr)
                  : RegOpenKeyExW(root_, path.c_str(), 0, KEY_ALL_ACCESS, &opened);
    if (status != ERROR_SUCCESS) return false;
    *current_.put() = opened;
    return true;
}

void TRegistry::WriteString(const std::wstring& name, const std::wstring& value) {
    // REG_SZ data is the text with its terminating NUL.
    const DWORD size = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    if (RegSetValueExW(current_.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       size) != ERROR_SUCCESS) {
        throw Exception("Failed to set data for '" + WideToUtf8(name) + "'");
    }
}

bool TRegistry::DeleteKey(const std::wstring& path) { return DeleteTree(root_, path); }
