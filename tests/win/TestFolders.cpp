#include "win/TestFolders.h"

#include <windows.h>

#include <algorithm>

std::wstring Extended(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\", 0) == 0) return path;
    if (path.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + path.substr(2);
    return L"\\\\?\\" + path;
}

void MakeDir(const std::wstring& path) {
    ASSERT_TRUE(CreateDirectoryW(Extended(path).c_str(), nullptr)) << "CreateDirectoryW " << GetLastError();
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(Extended(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << "CreateFileW " << GetLastError();
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(written, bytes.size());
}

std::string ReadBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(Extended(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "cannot read a file, error " << GetLastError();
        return {};
    }
    std::string bytes;
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &n, nullptr) && n > 0) bytes.append(buffer, n);
    CloseHandle(file);
    return bytes;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(Extended(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

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

namespace {

void SnapshotInto(const std::wstring& dir, const std::wstring& prefix,
                  std::vector<std::pair<std::wstring, std::string>>& out) {
    for (const std::wstring& name : ListNames(dir)) {
        const std::wstring path = dir + L"\\" + name;
        if (GetFileAttributesW(Extended(path).c_str()) & FILE_ATTRIBUTE_DIRECTORY)
            SnapshotInto(path, prefix + name + L"\\", out);
        else
            out.emplace_back(prefix + name, ReadBytes(path));
    }
}

}  // namespace

std::vector<std::pair<std::wstring, std::string>> Snapshot(const std::wstring& dir) {
    std::vector<std::pair<std::wstring, std::string>> files;
    SnapshotInto(dir, L"", files);
    return files;
}

void RemoveTree(const std::wstring& path) {
    const std::wstring extended = Extended(path);
    const DWORD attributes = GetFileAttributesW(extended.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    SetFileAttributesW(extended.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        for (const std::wstring& name : ListNames(path)) RemoveTree(path + L"\\" + name);
        RemoveDirectoryW(extended.c_str());
    } else {
        DeleteFileW(extended.c_str());
    }
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
