// Real folders for the Windows tests: a unique scratch directory under the
// temp folder, removed with everything in it (locked names included) after
// each test. Paths in and out are ordinary paths; the helpers reach entries
// whose names end in "." and paths longer than MAX_PATH through the \\?\ form.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

// \\?\ form of an absolute path (drive or UNC).
std::wstring Extended(const std::wstring& path);

void MakeDir(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);
// The file's bytes; fails the test when it cannot be read.
std::string ReadBytes(const std::wstring& path);
bool Exists(const std::wstring& path);  // exact name, trailing "." kept
// Names in a directory, sorted, without "." and "..".
std::vector<std::wstring> ListNames(const std::wstring& dir);
// Every file below dir (relative path -> bytes), for comparing contents.
std::vector<std::pair<std::wstring, std::string>> Snapshot(const std::wstring& dir);
void RemoveTree(const std::wstring& path);

class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A new folder root_\name holding a few files; returns its path.
    std::wstring MakeFolder(const std::wstring& name);

    std::wstring root_;
};
