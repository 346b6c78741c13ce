// The text of a folder's paths in its two states, with no file access.
//
// A folder F (as the caller names it, e.g. C:\Data\Photos) keeps its password
// record in F\dat.ini. Locked, the same directory is named like F's last
// segment followed by one "." (Photos.), and the file manager hands the
// program the locked path F followed by one "." (C:\Data\Photos.).
//
// Both "\" and "/" separate segments, except after a \\?\ prefix, where only
// "\" does (as in the system's path rules).
#pragma once

#include <string>

// F + "\dat.ini".
std::wstring RecordPath(const std::wstring& folderPath);

// F + ".".
std::wstring LockedPath(const std::wstring& folderPath);

// Why a path cannot be locked. The locked name is the last segment followed
// by one "."; a path without a named last segment has no such name, and a
// segment that ends in "." or a blank loses that ending in the system's path
// rules, so its locked name would not come back to the same folder.
enum class PathProblem {
    None,
    Empty,
    Root,               // a drive or share root (C:, C:\, \\server\share, \ alone)
    EndsInSeparator,    // C:\Data\Photos\ (the record would land in Photos, the rename reach C:\Data)
    NoName,             // last segment "." or ".."
    TrailingDotOrBlank  // last segment ending in "." or " "
};

PathProblem LockPathProblem(const std::wstring& folderPath);

// Whether path is the locked path of a folder that can be locked: it ends in
// one "." after a lockable folder path.
bool IsLockedPath(const std::wstring& path);

// The folder path of a locked path: lockedPath without its last character.
// lockedPath must satisfy IsLockedPath.
std::wstring PlainPath(const std::wstring& lockedPath);
