// TIniFile on CreateFileW. The profile calls themselves are not used: under
// Wine WritePrivateProfileStringW fails for paths over MAX_PATH even in the
// \\?\ form, and GetPrivateProfileStringW cuts values to the caller's buffer.
// Reading and writing the whole file and editing its text with IniText gives
// the same bytes at any length.
#include "platform/IniFile.h"

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <optional>
#include <string_view>

#include "platform/Exception.h"
#include "platform/IniText.h"
#include "platform/LongPath.h"
#include "platform/Text.h"
#include "platform/UniqueHandle.h"
#include "platform/WinError.h"

namespace {

static_assert(sizeof(wchar_t) == 2, "UTF-16 files are edited as wchar_t text");

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
bool IsReadOnly(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

bool DeleteAll(const std::wstring& path) {
    return !IsReadOnly(GetFileAttributesW(path.c_str())) && DeleteFileW(path.c_str()) != 0;
}

// Writes all of bytes to file and flushes them to disk.
DWORD WriteFlushed(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > (1u << 20) ? (1u << 20) : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) return GetLastError();
        bytes.remove_prefix(written);
    }
    return FlushFileBuffers(file) ? ERROR_SUCCESS : GetLastError();
}

// Creates the file, which must not exist yet (CREATE_NEW), with attributes,
// holding exactly bytes, flushed to disk. created tells whether the file was
// made (and is this call's to delete when the writing fails).
DWORD CreateWith(const std::wstring& path, std::string_view bytes, DWORD attributes, bool& created) {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr));
    created = file.valid();
    if (!created) return GetLastError();
    return WriteFlushed(file.get(), bytes);
}

// A new file holding exactly bytes. When the writing fails the partial file is
// deleted; a file that was there already (another program made it since this
// one looked) is not this call's and stays. A crash in the middle can leave a
// cut-short file; it holds nothing but what this program was writing.
DWORD CreateWhole(const std::wstring& path, std::string_view bytes) {
    bool created = false;
    const DWORD error = CreateWith(path, bytes, FILE_ATTRIBUTE_NORMAL, created);
    if (error != ERROR_SUCCESS && created) DeleteFileW(path.c_str());
    return error;
}

// The attributes that a replacement takes over from the file it replaces.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

// Gives an existing file the content bytes so that at every moment the file
// on disk holds either all of its old content or all of the new: the bytes
// go to a temporary file in the same folder, which is flushed and then
// renamed over the file in one step (MoveFileExW, MOVEFILE_REPLACE_EXISTING).
// The temporary file is made with the file's hidden, system and archive
// attributes; its permissions are those the folder gives a new file.
// ReplaceFileW, which would keep more, is not used: under Wine it drops the
// replaced file's attributes and does its work in several steps.
//
// A failure that this call sees deletes the temporary file (only a failing
// delete can leave it) and leaves the file untouched. A crash between
// creating the temporary file and the rename leaves it behind, as
// "<name>.<process id>.<n>.tmp" beside the file: a name no user file has.
DWORD ReplaceWhole(const std::wstring& path, std::string_view bytes) {
    static std::atomic<unsigned> counter{0};
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError();
    if (IsReadOnly(attributes)) return ERROR_ACCESS_DENIED;
    const DWORD kept = (attributes & kKeptAttributes) != 0 ? attributes & kKeptAttributes : FILE_ATTRIBUTE_NORMAL;
    const std::wstring prefix = path + L"." + std::to_wstring(GetCurrentProcessId()) + L".";

    // A name left by an earlier crash of a process with the same id is
    // passed over: CREATE_NEW never opens an existing file.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring temporary = prefix + std::to_wstring(counter++) + L".tmp";
        bool created = false;
        DWORD error = CreateWith(temporary, bytes, kept, created);
        if (!created) {
            if (error == ERROR_FILE_EXISTS) continue;
            return error;
        }
        if (error == ERROR_SUCCESS &&
            MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return ERROR_SUCCESS;
        }
        if (error == ERROR_SUCCESS) error = GetLastError();
        DeleteFileW(temporary.c_str());
        return error;
    }
    return ERROR_FILE_EXISTS;
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

    // Most writes make a new file, so creating it is tried first: one lookup
    // of a missing name instead of two (under Wine each such lookup reads
    // the whole directory, which is slow in a folder of many files).
    bool created = false;
    const DWORD createError = CreateWith(path, IniWrite("", section, key, value), FILE_ATTRIBUTE_NORMAL, created);
    if (created) {
        if (createError != ERROR_SUCCESS) {
            DeleteFileW(path.c_str());  // a failed creation deletes what it made
            fail();
        }
        return IniFileState{};
    }
    if (createError != ERROR_FILE_EXISTS && createError != ERROR_ALREADY_EXISTS) fail();

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

    // A failed replacement leaves the old file untouched; a failed creation
    // (the file went away since it was found) deletes what it made.
    if ((before.existed ? ReplaceWhole(path, after) : CreateWhole(path, after)) != ERROR_SUCCESS) fail();
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
    return ReplaceWhole(path, after) == ERROR_SUCCESS;
}

bool TIniFile::Restore(const IniFileState& before) {
    const std::wstring path = ExtendedPath(fileName_);
    std::string now;
    const DWORD error = ReadAll(path, now);
    if (!before.existed) return IsMissing(error) || DeleteAll(path);
    if (error == ERROR_SUCCESS && now == before.bytes) return true;
    return (IsMissing(error) ? CreateWhole(path, before.bytes) : ReplaceWhole(path, before.bytes)) == ERROR_SUCCESS;
}
