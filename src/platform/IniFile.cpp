// TIniFile on CreateFileW. The profile calls themselves are not used: under
// Wine WritePrivateProfileStringW fails for paths over MAX_PATH even in the
// \\?\ form, and GetPrivateProfileStringW cuts values to the caller's buffer.
// Reading and writing the whole file and editing its text with IniText gives
// the same bytes at any length.
#include "platform/IniFile.h"

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string_view>

#include "platform/Exception.h"
#include "platform/IniText.h"
#include "platform/LongPath.h"
#include "platform/Text.h"
#include "platform/WinError.h"

namespace {

static_assert(sizeof(wchar_t) == 2, "UTF-16 files are edited as wchar_t text");

class UniqueHandle {
public:
    explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() {
        if (valid()) CloseHandle(handle_);
    }
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

bool IsMissing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// The whole file into bytes; ERROR_SUCCESS or the reason it failed.
DWORD ReadAll(const std::wstring& path, std::string& bytes) {
    bytes.clear();
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return GetLastError();
    char buffer[64 * 1024];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) return GetLastError();
        if (got == 0) return ERROR_SUCCESS;
        bytes.append(buffer, got);
    }
}

// Windows refuses to write or delete a read-only file; asked here too,
// because Wine run by root leaves that to the Unix permissions, which do not
// stop root.
bool IsReadOnly(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

bool DeleteAll(const std::wstring& path) { return !IsReadOnly(path) && DeleteFileW(path.c_str()) != 0; }

// Makes the file hold exactly bytes, flushed to disk. create: the file must
// not exist yet (CREATE_NEW); otherwise it must exist and is overwritten in
// place, which keeps its attributes, and cut to the new length.
DWORD WriteAll(const std::wstring& path, std::string_view bytes, bool create) {
    if (!create && IsReadOnly(path)) return ERROR_ACCESS_DENIED;
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  create ? CREATE_NEW : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return GetLastError();
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > (1u << 20) ? (1u << 20) : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data(), chunk, &written, nullptr)) return GetLastError();
        bytes.remove_prefix(written);
    }
    if (!SetEndOfFile(file.get()) || !FlushFileBuffers(file.get())) return GetLastError();
    return ERROR_SUCCESS;
}

// The file's text in the form IniText edits: code page 936 bytes, or UTF-16
// after a byte order mark (either byte order; an odd last byte is kept).
class FileText {
public:
    explicit FileText(const std::string& bytes) {
        const auto byte = [&bytes](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
        if (bytes.size() >= 2 && ((byte(0) == 0xFF && byte(1) == 0xFE) || (byte(0) == 0xFE && byte(1) == 0xFF))) {
            bom_ = bytes.substr(0, 2);
            bigEndian_ = byte(0) == 0xFE;
            const std::size_t count = (bytes.size() - 2) / 2;
            wide_.resize(count);
            for (std::size_t i = 0; i < count; ++i) {
                const auto first = static_cast<unsigned char>(bytes[2 + 2 * i]);
                const auto second = static_cast<unsigned char>(bytes[3 + 2 * i]);
                wide_[i] = static_cast<wchar_t>(bigEndian_ ? first << 8 | second : second << 8 | first);
            }
            tail_ = bytes.substr(2 + 2 * count);
        } else {
            narrow_ = bytes;
        }
    }

    bool IsUtf16() const { return !bom_.empty(); }
    const std::string& Narrow() const { return narrow_; }
    const std::wstring& Wide() const { return wide_; }

    // The bytes of the file with the text replaced (narrow for a code page
    // 936 file, wide for a UTF-16 one).
    std::string Bytes(const std::string& narrow, const std::wstring& wide) const {
        if (!IsUtf16()) return narrow;
        std::string bytes = bom_;
        for (const wchar_t c : wide) {
            const auto high = static_cast<char>(static_cast<unsigned>(c) >> 8 & 0xFF);
            const auto low = static_cast<char>(static_cast<unsigned>(c) & 0xFF);
            bytes += bigEndian_ ? high : low;
            bytes += bigEndian_ ? low : high;
        }
        return bytes + tail_;
    }

private:
    std::string bom_;
    bool bigEndian_ = false;
    std::string narrow_;
    std::wstring wide_;
    std::string tail_;
};

// A value of a UTF-16 file as code page 936 bytes; a character without a form
// there becomes "?" (never a look-alike, which could pass for a hex digit).
std::string ToCp936Lossy(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, text.data(), size, nullptr, 0, "?", nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, text.data(), size, out.data(), n, "?", nullptr);
    return out;
}

}  // namespace

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
    std::string bytes;
    const DWORD error = ReadAll(ExtendedPath(fileName_), bytes);
    if (IsMissing(error)) return defaultValue;
    if (error != ERROR_SUCCESS) {
        throw Exception(WideToUtf8(L"无法读取文件“" + fileName_ + L"”：" + SystemErrorText(error)));
    }
    const FileText text(bytes);
    if (text.IsUtf16()) {
        const std::optional<std::wstring> value = IniRead(text.Wide(), Cp936ToWide(section), Cp936ToWide(key));
        return value ? ToCp936Lossy(*value) : defaultValue;
    }
    return IniRead(text.Narrow(), section, key).value_or(defaultValue);
}

IniFileState TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    const std::wstring path = ExtendedPath(fileName_);
    const auto fail = [this] { throw Exception("Unable to write to " + WideToUtf8(fileName_)); };
    IniFileState before;
    const DWORD readError = ReadAll(path, before.bytes);
    before.existed = readError == ERROR_SUCCESS;
    if (!before.existed && !IsMissing(readError)) fail();

    const FileText text(before.bytes);
    const std::string after =
        text.IsUtf16()
            ? text.Bytes({}, IniWrite(text.Wide(), Cp936ToWide(section), Cp936ToWide(key), Cp936ToWide(value)))
            : IniWrite(text.Narrow(), section, key, value);
    if (before.existed && after == before.bytes) return before;

    const DWORD writeError = WriteAll(path, after, !before.existed);
    if (writeError != ERROR_SUCCESS) {
        // Leave the file as it was: a half-written record must not stay. A
        // file that the creation found there already was made by another
        // program since the read: it is not this write's to delete.
        if (before.existed) {
            WriteAll(path, before.bytes, false);
        } else if (writeError != ERROR_FILE_EXISTS) {
            DeleteAll(path);
        }
        fail();
    }
    return before;
}

bool TIniFile::DeleteKey(const std::string& section, const std::string& key) {
    const std::wstring path = ExtendedPath(fileName_);
    std::string bytes;
    const DWORD error = ReadAll(path, bytes);
    if (IsMissing(error)) return true;
    if (error != ERROR_SUCCESS) return false;

    const FileText text(bytes);
    const bool utf16 = text.IsUtf16();
    const std::wstring wide = utf16 ? IniDelete(text.Wide(), Cp936ToWide(section), Cp936ToWide(key)) : std::wstring();
    const std::string narrow = utf16 ? std::string() : IniDelete(text.Narrow(), section, key);
    const std::string after = text.Bytes(narrow, wide);
    if (after == bytes) return true;
    if (utf16 ? IniIsBlank(wide) : IniIsBlank(narrow)) return DeleteAll(path);
    if (WriteAll(path, after, false) == ERROR_SUCCESS) return true;
    WriteAll(path, bytes, false);
    return false;
}

bool TIniFile::Restore(const IniFileState& before) {
    const std::wstring path = ExtendedPath(fileName_);
    std::string now;
    const DWORD error = ReadAll(path, now);
    if (!before.existed) return IsMissing(error) || DeleteAll(path);
    if (error == ERROR_SUCCESS && now == before.bytes) return true;
    return WriteAll(path, before.bytes, IsMissing(error)) == ERROR_SUCCESS;
}
