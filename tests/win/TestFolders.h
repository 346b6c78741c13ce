// Real folders for the Windows tests and the end-to-end tests: a unique
// scratch directory under the temp folder, removed with everything in it
// (locked names included) after each test, and the file primitives both
// kinds of test check the disk with. Paths in and out are ordinary paths;
// the helpers reach entries whose names end in "." and paths longer than
// MAX_PATH through the \\?\ form.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

// \\?\ form of an absolute path (drive or UNC); a path already in that form
// stays as it is.
std::wstring Extended(const std::wstring& path);

// These three throw std::runtime_error naming the path and the system's error
// when the disk does not do as asked (a short write or read included): the
// test stops there instead of going on with a half-made or half-read folder.
void MakeDir(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path);

bool Exists(const std::wstring& path);  // exact name, trailing "." kept
bool IsDirectory(const std::wstring& path);
// Names in a directory, sorted, without "." and "..".
std::vector<std::wstring> ListNames(const std::wstring& dir);
// Every file below dir (relative path "a\b.txt" -> bytes), for comparing
// contents; directories only through the files in them.
std::vector<std::pair<std::wstring, std::string>> Snapshot(const std::wstring& dir);
// Deletes path and everything below it, read-only files and folders
// included; a link to a folder goes by itself, not what it points at.
void RemoveTree(const std::wstring& path);

class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A new folder root_\name holding a few files; returns its path.
    std::wstring MakeFolder(const std::wstring& name);

    std::wstring root_;
};
