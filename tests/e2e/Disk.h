// The disk as the end-to-end tests compare it before and after a run of the
// program: every entry with its attributes, and the differences in words.
// The file primitives (the \\?\ form, reading, writing, listing, removing)
// are the Windows tests' own, in win/TestFolders.h.
#pragma once

#include <windows.h>

#include <map>
#include <string>

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
DiskSnapshot DiskSnapshotOf(const std::wstring& directory);

// The differences between two snapshots in words, one line each ("" when
// they are equal); sizes instead of contents, which may be megabytes.
std::string SnapshotDifference(const DiskSnapshot& expected, const DiskSnapshot& actual);

// text in code page 936, as the program stores passwords.
std::string Cp936(const std::wstring& text);
std::wstring Widen(const std::string& utf8);
