#include "platform/Text.h"

#include <windows.h>

namespace {

constexpr UINT kGbk = 936;

std::string FromWide(UINT codePage, DWORD flags, std::wstring_view text, BOOL* usedDefault) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, nullptr, usedDefault);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, flags, text.data(), size, out.data(), n, nullptr, usedDefault);
    return out;
}

std::wstring ToWide(UINT codePage, std::string_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), size, out.data(), n);
    return out;
}

}  // namespace

std::string WideToUtf8(std::wstring_view text) { return FromWide(CP_UTF8, 0, text, nullptr); }

std::wstring Utf8ToWide(std::string_view text) { return ToWide(CP_UTF8, text); }

std::optional<std::string> WideToCp936(std::wstring_view text) {
    BOOL usedDefault = FALSE;
    std::string bytes = FromWide(kGbk, WC_NO_BEST_FIT_CHARS, text, &usedDefault);
    if (usedDefault) return std::nullopt;
    return bytes;
}

std::wstring Cp936ToWide(std::string_view bytes) { return ToWide(kGbk, bytes); }
