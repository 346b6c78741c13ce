// Paths in the extended-length form (\\?\C:\... or \\?\UNC\server\share\...),
// which the W file calls take at any length and use exactly as written: no
// MAX_PATH limit and no trimming of a final "." or blank, so the locked name
// "Photos." is reached as itself.
#pragma once

#include <string>

// The full path of path (relative paths are taken from the current folder)
// in the extended-length form; a path in that form already comes back as it
// is. Making a path full drops a final "." or blank of its last segment, as
// the system's path rules do: append such an ending after this call.
// Raises Exception for a path that cannot be made full (the empty path).
std::wstring ExtendedPath(const std::wstring& path);
