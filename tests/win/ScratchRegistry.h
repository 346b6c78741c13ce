// Redirects HKEY_CLASSES_ROOT (and, when asked, HKEY_CURRENT_USER) of this
// process to fresh scratch keys for the life of the object, so that tests
// write the context-menu entry without touching the real roots.
#pragma once

#include <windows.h>

#include <string>

class ScratchRegistry {
public:
    explicit ScratchRegistry(bool alsoCurrentUser = false);
    ~ScratchRegistry();
    ScratchRegistry(const ScratchRegistry&) = delete;
    ScratchRegistry& operator=(const ScratchRegistry&) = delete;

    // The default value of path below the redirected HKEY_CLASSES_ROOT, or
    // nullptr-like "" with found=false when the key or value is missing.
    static bool ReadDefault(HKEY root, const std::wstring& path, std::wstring& value);
    static bool KeyExists(HKEY root, const std::wstring& path);

private:
    std::wstring base_;
    HKEY classes_ = nullptr;
    HKEY user_ = nullptr;
};
