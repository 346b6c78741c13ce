// TIniFile: one INI (private-profile) file, read and edited whole through
// CreateFileW on its extended-length path, so that it works at any path
// length. The bytes it writes are those of the system's profile calls: a new
// file holds "[section]" CR LF "key=value" CR LF; in an existing file only the
// one entry changes (platform/IniText.h). A file that begins with a UTF-16
// byte order mark is edited as UTF-16; any other file as code page 936 text.
//
// An existing file is never written in place: its new content goes to a
// temporary file beside it ("<name>.<process id>.<n>.tmp"), flushed to disk,
// which one rename then puts in its place, so the file on disk is always
// either all of its old content or all of the new; the replacement keeps the
// file's hidden, system and archive attributes. A new file is created
// (never opened if it appeared meanwhile), written and flushed.
//
// Sections, keys and values are code page 936 bytes. Creating the object only
// records the file name; every call opens, reads or writes and closes the
// file, so nothing is cached between calls.
#pragma once

#include <string>
#include <utility>

// What a file held before a write, so that the write can be undone.
struct IniFileState {
    bool existed = false;
    std::string bytes;
};

class TIniFile {
public:
    explicit TIniFile(std::wstring fileName) : fileName_(std::move(fileName)) {}

    const std::wstring& FileName() const { return fileName_; }

    // The value of section/key, whole; defaultValue when the file, the section
    // or the key is missing. Raises Exception when the file is there but
    // cannot be read: a record that exists must never read as empty.
    std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue) const;

    // Sets section/key to value, creating the file when it is missing, and
    // flushes the file to disk before returning. A write that would not
    // change the file's bytes leaves the file untouched (so a read-only file
    // that already holds the value is no obstacle); a read-only file is
    // otherwise refused. Returns what the file held before, for Restore. When
    // the file cannot be written it is left as it was (a file that this call
    // was creating is deleted again) and Exception "Unable to write to <file
    // name>" is raised.
    IniFileState WriteString(const std::string& section, const std::string& key, const std::string& value);

    // Removes section/key (platform/IniText.h, IniDelete) and deletes the file
    // when nothing but blank lines is left in it; otherwise the file is
    // replaced whole, as above. True when the entry is gone afterwards (also
    // when there was none); false when the file could not be read, replaced
    // or deleted (a read-only file is neither), in which case it is unchanged.
    bool DeleteKey(const std::string& section, const std::string& key);

    // Puts the file back as before describes it: its old bytes (replacing the
    // file whole, or creating it), or no file. True when the file is in that
    // state afterwards.
    bool Restore(const IniFileState& before);

private:
    std::wstring fileName_;
};
