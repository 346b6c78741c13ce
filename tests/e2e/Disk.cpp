#include "e2e/Disk.h"

#include <algorithm>

#include "e2e/Driving.h"

namespace {

constexpr DWORD kUserAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

void SnapshotInto(DiskSnapshot& snapshot, const std::wstring& directory, const std::wstring& prefix) {
    for (const std::wstring& name : Entries(directory)) {
        const std::wstring path = directory + L"\\" + name;
        DiskEntry entry;
        entry.attributes = GetFileAttributesW(Long(path).c_str()) & kUserAttributes;
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

std::wstring Long(const std::wstring& path) {
    return L"\\\\?\\" + path;
}

std::vector<std::wstring> Entries(const std::wstring& directory) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(Long(directory + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

bool IsDirectory(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(Long(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(Long(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(Long(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw DriveError(L"cannot read " + path);
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw DriveError(L"cannot write " + path);
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != bytes.size()) throw DriveError(L"cannot write all of " + path);
}

void MakeDirectory(const std::wstring& path) {
    if (!CreateDirectoryW(Long(path).c_str(), nullptr)) throw DriveError(L"cannot create " + path);
}

void RemoveTree(const std::wstring& path) {
    for (const std::wstring& name : Entries(path)) {
        const std::wstring child = path + L"\\" + name;
        if (IsDirectory(child))
            RemoveTree(child);
        else {
            SetFileAttributesW(Long(child).c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(Long(child).c_str());
        }
    }
    SetFileAttributesW(Long(path).c_str(), FILE_ATTRIBUTE_NORMAL);  // a read-only folder too
    RemoveDirectoryW(Long(path).c_str());
}

std::map<std::wstring, std::string> Contents(const std::wstring& directory, const std::wstring& prefix) {
    std::map<std::wstring, std::string> files;
    for (const std::wstring& name : Entries(directory)) {
        const std::wstring path = directory + L"\\" + name;
        if (IsDirectory(path))
            files.merge(Contents(path, prefix + name + L"\\"));
        else
            files[prefix + name] = ReadBytes(path);
    }
    return files;
}

DiskSnapshot Snapshot(const std::wstring& directory) {
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
