// TRegistry: keys and string values under one root key, opened with full
// access (KEY_ALL_ACCESS), through the Unicode registry calls.
#pragma once

#include <windows.h>

#include <string>

// Owns one open HKEY; closes it when it goes.
class UniqueHKey {
public:
    UniqueHKey() = default;
    UniqueHKey(const UniqueHKey&) = delete;
    UniqueHKey& operator=(const UniqueHKey&) = delete;
    ~UniqueHKey() { reset(); }
    HKEY get() const { return key_; }
    HKEY* put() { reset(); return &key_; }
    void reset() { if (key_) RegCloseKey(key_); key_ = nullptr; }

private:
    HKEY key_ = nullptr;
};

class TRegistry {
public:
    explicit TRegistry(HKEY root) : root_(root) {}

    HKEY RootKey() const { return root_; }

    // Opens path below the root (creating it and any missing key above it when
    // canCreate), closing the key opened before. False when it cannot be opened.
    bool OpenKey(const std::wstring& path, bool canCreate);
    void CloseKey() { current_.reset(); }

    // Writes a REG_SZ value into the open key ("" = the default value).
    // Raises Exception "Failed to set data for '<name>'" when that fails.
    void WriteString(const std::wstring& name, const std::wstring& value);

    // Deletes path below the root with everything below it: subkeys first,
    // deepest first, among siblings the last-listed first. True when the key
    // itself was deleted.
    bool DeleteKey(const std::wstring& path);

private:
    HKEY root_;
    UniqueHKey current_;
};
