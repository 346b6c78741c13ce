// The system's own text for a Win32 error code, for messages that tell the
// user why an operation failed.
#pragma once

#include <string>

// e.g. L"Access is denied." (trailing line breaks removed); a generic text
// with the code when the system has none.
std::wstring SystemErrorText(unsigned long code);
