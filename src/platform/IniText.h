// The text of an INI (private-profile) file, read and edited the way the
// system's profile calls treat it, as plain text with no file access:
//
//  - a line is ended by LF (a CR before it belongs to the line ending);
//  - "[name]" opens a section (text after the first "]" is ignored);
//  - "name=value" is an entry; other lines are kept but never read;
//  - section and entry names are compared without regard to ASCII letter case
//    and without their surrounding blanks; a value loses its surrounding
//    blanks, and then one pair of matching quotes (' or ") around it;
//  - only the first section of a name counts, and in it the first entry.
//
// The narrow texts are bytes in code page 936 (GBK): a double-byte character
// is never split, so a second byte that happens to be "]" or a letter is not
// taken for one. The wide texts are UTF-16, for files that begin with a
// UTF-16 byte order mark (the caller strips and restores the mark).
//
// An edit changes only the lines of its one entry (and the section header
// that the entry needs or no longer needs) and keeps every other byte. New
// lines end in CR LF. Names and values are single lines.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The value of section/key, or nullopt when the section or the key is missing.
std::optional<std::string> IniRead(std::string_view text, std::string_view section, std::string_view key);
std::optional<std::wstring> IniRead(std::wstring_view text, std::wstring_view section, std::wstring_view key);

// text with section/key set to value. A present entry keeps its line up to
// and including "=" and gets the new value after it; a missing one is added
// as "key=value" after the last line of its section; a missing section is
// added at the end as "[section]" and "key=value". Writing the value that is
// there already gives text back unchanged.
std::string IniWrite(std::string_view text, std::string_view section, std::string_view key, std::string_view value);
std::wstring IniWrite(std::wstring_view text, std::wstring_view section, std::wstring_view key,
                      std::wstring_view value);

// text without the line of section/key (unchanged when there is none). A
// section left with nothing but blank lines loses its header and those lines.
std::string IniDelete(std::string_view text, std::string_view section, std::string_view key);
std::wstring IniDelete(std::wstring_view text, std::wstring_view section, std::wstring_view key);

// Whether text holds nothing but blanks and line breaks.
bool IniIsBlank(std::string_view text);
bool IniIsBlank(std::wstring_view text);
