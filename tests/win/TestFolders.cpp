#include "win/TestFolders.h"

#include <windows.h>

#include <algorithm>
#include <stdexcept>

namespace {

// What failed, on which path, with the system's error code; the message is
// UTF-8 (gtest's Message converts the UTF-16 path).
[[noreturn]] void Fail(const char* what, const std::wstring& path, DWORD error) {
    throw std::runtime_error((::testing::Message() << what << " " << path << " (error " << error << ")").GetString());
}

void SnapshotInto(const std::wstring& dir, const std::wstring& prefix,
                  std::vector<std::pair<std::wstring, std::string>>& out) {
    for (const std::wstring& name : ListNames(dir)) {
        const std::wstring path = dir + L"\\" + name;
        if (IsDirectory(path))
            SnapshotInto(path, prefix + name + L"\\", out);
        else
            out.emplace_back(prefix + name, ReadBytes(path));
    }
}

}  // namespace

std::wstring Extended(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\", 0) == 0) return path;
    if (path.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + path.substr(2);
    return L"\\\\?\\" + path;
}

void MakeDir(const std::wstring& path) {
    if (!CreateDirectoryW(Extended(path).c_str(), nullptr)) Fail("cannot create", path, GetLastError());
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(Extended(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) Fail("cannot write", path, GetLastError());
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    const DWORD error = ok ? ERROR_WRITE_FAULT : GetLastError();  // a short write sets no error
    CloseHandle(file);
    if (!ok || written != bytes.size()) Fail("cannot write all of", path, error);
}

std::string ReadBytes(const std::wstring& path) {
    HANDLE file =
        CreateFileW(Extended(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) Fail("cannot read", path, GetLastError());
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    BOOL ok = FALSE;
    while ((ok = ReadFile(file, buffer, sizeof(buffer), &got, nullptr)) && got > 0) bytes.append(buffer, got);
    const DWORD error = GetLastError();
    CloseHandle(file);
    if (!ok) Fail("cannot read all of", path, error);
    return bytes;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(Extended(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsDirectory(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(Extended(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::wstring> ListNames(const std::wstring& dir) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((Extended(dir) + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::pair<std::wstring, std::string>> Snapshot(const std::wstring& dir) {
    std::vector<std::pair<std::wstring, std::string>> files;
    SnapshotInto(dir, L"", files);
    return files;
}

void RemoveTree(const std::wstring& path) {
    const std::wstring extended = Extended(path);
    const DWORD attributes = GetFileAttributesW(extended.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    // Read-only first: a read-only folder's own entries go too.
    SetFileAttributesW(extended.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileW(extended.c_str());
        return;
    }
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        for (const std::wstring& name : ListNames(path)) RemoveTree(path + L"\\" + name);
    RemoveDirectoryW(extended.c_str());
}

void TempFolderTest::SetUp() {
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    std::wstring base = temp;
    if (!base.empty() && base.back() == L'\\') base.pop_back();
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = base + L"\\folderlock-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::wstring(test->name(), test->name() + std::char_traits<char>::length(test->name()));
    std::replace(root_.begin(), root_.end(), L'/', L'_');
    RemoveTree(root_);
    MakeDir(root_);
}

void TempFolderTest::TearDown() { RemoveTree(root_); }

std::wstring TempFolderTest::MakeFolder(const std::wstring& name) {
    const std::wstring folder = root_ + L"\\" + name;
    MakeDir(folder);
    WriteBytes(folder + L"\\photo.jpg", std::string("\xFF\xD8\xFF\xE0 not really a photo", 24));
    MakeDir(folder + L"\\sub");
    WriteBytes(folder + L"\\sub\\notes.txt", "keep me\r\n");
    return folder;
}
