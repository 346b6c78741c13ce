#include "e2e/Disk.h"

#include "e2e/Driving.h"
#include "win/TestFolders.h"

namespace {

constexpr DWORD kUserAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

void SnapshotInto(DiskSnapshot& snapshot, const std::wstring& directory, const std::wstring& prefix) {
    for (const std::wstring& name : ListNames(directory)) {
        const std::wstring path = directory + L"\\" + name;
        DiskEntry entry;
        entry.attributes = GetFileAttributesW(Extended(path).c_str()) & kUserAttributes;
        entry.directory = IsDirectory(path);
        if (!entry.directory) entry.bytes = ReadBytes(path);
        snapshot[prefix + name] = entry;
        if (entry.directory) SnapshotInto(snapshot, path, prefix + name + L"\\");
    }
}

std::string Describe(const DiskEntry& entry) {
    std::string text = entry.directory ? "directory" : "file of " + std::to_string(entry.bytes.size()) + " bytes";
    if (entry.attributes) text += ", attributes " + std::to_string(entry.attributes);
    return text;
}

}  // namespace

DiskSnapshot DiskSnapshotOf(const std::wstring& directory) {
    DiskSnapshot snapshot;
    SnapshotInto(snapshot, directory, L"");
    return snapshot;
}

std::string SnapshotDifference(const DiskSnapshot& expected, const DiskSnapshot& actual) {
    std::string text;
    for (const auto& [path, entry] : expected) {
        const auto found = actual.find(path);
        if (found == actual.end())
            text += "missing: " + Utf8(path) + " (" + Describe(entry) + ")\n";
        else if (!(found->second == entry))
            text += "changed: " + Utf8(path) + " (" + Describe(entry) + ", now " + Describe(found->second) + ")\n";
    }
    for (const auto& [path, entry] : actual)
        if (!expected.count(path)) text += "unexpected: " + Utf8(path) + " (" + Describe(entry) + ")\n";
    return text;
}

std::string Cp936(const std::wstring& text) {
    const int size =
        WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), size);
    return text;
}
