// Files as the end-to-end tests see them from outside the program: always
// through the \\?\ form, since a locked folder's name ends in "." and the
// plain forms of a path would lose that dot (and stop at MAX_PATH).
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

// The \\?\ form of an absolute path.
std::wstring Long(const std::wstring& path);

// Names in directory, without "." and "..", sorted.
std::vector<std::wstring> Entries(const std::wstring& directory);

bool IsDirectory(const std::wstring& path);
bool Exists(const std::wstring& path);

std::string ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);
void MakeDirectory(const std::wstring& path);
// Deletes path and everything below it, read-only entries included.
void RemoveTree(const std::wstring& path);

// Relative path -> content of every file below directory.
std::map<std::wstring, std::string> Contents(const std::wstring& directory, const std::wstring& prefix = L"");

// One entry of a snapshot: a directory, or a file with its bytes; with the
// attributes a user sets (read-only, hidden, system).
struct DiskEntry {
    bool directory = false;
    DWORD attributes = 0;
    std::string bytes;
    bool operator==(const DiskEntry&) const = default;
};
using DiskSnapshot = std::map<std::wstring, DiskEntry>;

// Every entry below directory, by relative path ("a\b.txt"); directories
// included, so that an empty one or a renamed one shows.
DiskSnapshot Snapshot(const std::wstring& directory);

// The differences between two snapshots in words, one line each ("" when
// they are equal); sizes instead of contents, which may be megabytes.
std::string SnapshotDifference(const DiskSnapshot& expected, const DiskSnapshot& actual);

// text in code page 936, as the program stores passwords.
std::string Cp936(const std::wstring& text);
std::wstring Widen(const std::string& utf8);
