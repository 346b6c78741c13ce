// Path text of the lock: record path, locked path, and the checks that keep
// the lock away from paths whose locked name would not be the folder's name
// followed by one ".".
#include "lock/LockPaths.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace {

// A path split below its root: the segments, and how many of the first ones
// still belong to the root (server and share of a UNC path, the drive of an
// extended path).
struct PathParts {
    bool extended = false;  // after \\?\ or \\.\ only "\" separates
    std::size_t rootSegments = 0;
    std::vector<std::wstring_view> segments;
};

bool IsSeparator(wchar_t c, bool extended) { return c == L'\\' || (!extended && c == L'/'); }

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        wchar_t c = text[i];
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
        if (c != prefix[i]) return false;
    }
    return true;
}

PathParts SplitPath(std::wstring_view path) {
    PathParts parts;
    std::wstring_view rest = path;
    if (StartsWith(path, L"\\\\?\\") || StartsWith(path, L"\\\\.\\")) {
        parts.extended = true;
        rest = path.substr(4);
        if (StartsWithNoCase(rest, L"UNC\\")) {
            rest = rest.substr(4);
            parts.rootSegments = 2;  // server, share
        } else {
            parts.rootSegments = 1;  // C: or Volume{...}
        }
    } else if (path.size() >= 2 && IsSeparator(path[0], false) && IsSeparator(path[1], false)) {
        rest = path.substr(2);
        parts.rootSegments = 2;
    } else if (path.size() >= 2 && path[1] == L':') {
        rest = path.substr(2);
    }
    std::size_t start = 0;
    while (start <= rest.size()) {
        std::size_t end = start;
        while (end < rest.size() && !IsSeparator(rest[end], parts.extended)) ++end;
        if (end > start) parts.segments.push_back(rest.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

}  // namespace

std::wstring RecordPath(const std::wstring& folderPath) { return folderPath + L"\\dat.ini"; }

std::wstring LockedPath(const std::wstring& folderPath) { return folderPath + L"."; }

PathProblem LockPathProblem(const std::wstring& folderPath) {
    if (folderPath.empty()) return PathProblem::Empty;
    const PathParts parts = SplitPath(folderPath);
    if (parts.segments.size() <= parts.rootSegments) return PathProblem::Root;
    if (IsSeparator(folderPath.back(), parts.extended)) return PathProblem::EndsInSeparator;
    const std::wstring_view last = parts.segments.back();
    if (last == L"." || last == L"..") return PathProblem::NoName;
    if (last.back() == L'.' || last.back() == L' ') return PathProblem::TrailingDotOrBlank;
    return PathProblem::None;
}

bool IsLockedPath(const std::wstring& path) {
    return path.size() >= 2 && path.back() == L'.' && LockPathProblem(PlainPath(path)) == PathProblem::None;
}

std::wstring PlainPath(const std::wstring& lockedPath) { return lockedPath.substr(0, lockedPath.size() - 1); }
