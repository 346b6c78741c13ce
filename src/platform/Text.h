// Conversions between the program's text forms. Paths and window texts are
// UTF-16 (the W calls); exception messages are UTF-8; passwords and the
// password record are bytes in code page 936 (GBK), converted explicitly so
// that a record is the same whatever the system's ANSI code page is.
#pragma once

#include <optional>
#include <string>
#include <string_view>

std::string WideToUtf8(std::wstring_view text);
std::wstring Utf8ToWide(std::string_view text);

// nullopt when a character has no exact form in code page 936 (no best-fit
// substitution: a password must never silently change).
std::optional<std::string> WideToCp936(std::wstring_view text);
std::wstring Cp936ToWide(std::string_view bytes);
