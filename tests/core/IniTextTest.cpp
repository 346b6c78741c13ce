// INI text read and edited as the profile calls treat it. Every table row
// holds ASCII text only (unless marked) and runs twice: as code page 936
// bytes and as UTF-16, the two forms a dat.ini can have.
#include "platform/IniText.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

std::optional<std::wstring> Widen(const std::optional<std::string>& ascii) {
    if (!ascii) return std::nullopt;
    return Widen(*ascii);
}

// ---- reading ----

struct ReadCase {
    const char* what;
    std::string text;
    std::string section;
    std::string key;
    std::optional<std::string> value;
};

const std::vector<ReadCase> kReadCases = {
    {"record as written", "[111]\r\nkey=84FAABF62CFF447E\r\n", "111", "key", "84FAABF62CFF447E"},
    {"LF line ends, no final break", "[111]\nkey=ab", "111", "key", "ab"},
    {"names trimmed and without letter case", "  [ 111 ]  \r\n\t KEY \t= v\r\n", "111", "key", "v"},
    {"caller's names trimmed too", "[111]\r\nkey=v\r\n", " 111 ", " Key ", "v"},
    {"value trimmed", "[111]\r\nkey=   v  w \t \r\n", "111", "key", "v  w"},
    {"double quotes removed", "[111]\r\nkey=\"v w\"\r\n", "111", "key", "v w"},
    {"single quotes removed", "[111]\r\nkey=' v '\r\n", "111", "key", " v "},
    {"quotes that do not match kept", "[111]\r\nkey='v\"\r\n", "111", "key", "'v\""},
    {"a lone quote kept", "[111]\r\nkey=\"\r\n", "111", "key", "\""},
    {"empty quotes give empty", "[111]\r\nkey=\"\"\r\n", "111", "key", ""},
    {"empty value", "[111]\r\nkey=\r\n", "111", "key", ""},
    {"first = splits", "[111]\r\nkey=a=b\r\n", "111", "key", "a=b"},
    {"text after ] ignored", "[111] ; note\r\nkey=v\r\n", "111", "key", "v"},
    {"key of another section not read", "[222]\r\nkey=v\r\n[111]\r\nother=1\r\n", "111", "key", std::nullopt},
    {"entry before any section not read", "key=v\r\n[111]\r\n", "111", "key", std::nullopt},
    {"first section of a name counts", "[111]\r\nx=1\r\n[111]\r\nkey=v\r\n", "111", "key", std::nullopt},
    {"first entry of a name counts", "[111]\r\nkey=1\r\nKEY=2\r\n", "111", "key", "1"},
    {"line without = is no entry", "[111]\r\nkey\r\n", "111", "key", std::nullopt},
    {"comment line is no entry", "[111]\r\n;key=v\r\n", "111", "key", std::nullopt},
    {"missing section", "[a]\r\nkey=v\r\n", "111", "key", std::nullopt},
    {"empty text", "", "111", "key", std::nullopt},
    {"header without ] is no header", "[111\r\nkey=v\r\n", "111", "key", std::nullopt},
};

TEST(IniRead, Cases) {
    for (const ReadCase& c : kReadCases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.value, IniRead(c.text, c.section, c.key));
        EXPECT_EQ(Widen(c.value), IniRead(Widen(c.text), Widen(c.section), Widen(c.key)));
    }
}

// A value far beyond the 2,047 characters of a fixed read buffer comes back whole.
TEST(IniRead, LongValueWhole) {
    const std::string value(3008, 'A');
    EXPECT_EQ(value, IniRead("[111]\r\nkey=" + value + "\r\n", "111", "key"));
}

// Code page 936: the second byte of a double-byte character may be "]" or a
// letter; it must neither close a section name nor be folded as a letter.
TEST(IniRead, DoubleByteCharacters) {
    const std::string bracketChar = "\xB0\x5D";  // second byte is "]"
    EXPECT_EQ("v", IniRead("[" + bracketChar + "]\r\nkey=v\r\n", bracketChar, "key"));
    EXPECT_EQ("v", IniRead("[a" + bracketChar + "b]\r\nkey=v\r\n", "A" + bracketChar + "B", "key"));
    EXPECT_EQ(std::nullopt, IniRead("[\xB0\x41]\r\nkey=v\r\n", "\xB0\x61", "key"));
    EXPECT_EQ("\xC3\xDC\xC2\xEB", IniRead("[111]\r\n\xC3\xDC=\xC3\xDC\xC2\xEB\r\n", "111", "\xC3\xDC"));
}

// ---- writing ----

struct EditCase {
    const char* what;
    std::string before;
    std::string after;
};

// IniWrite(before, "111", "key", "V").
const std::vector<EditCase> kWriteCases = {
    {"new file: exactly two lines", "", "[111]\r\nkey=V\r\n"},
    {"value replaced", "[111]\r\nkey=OLD\r\n", "[111]\r\nkey=V\r\n"},
    {"same value: unchanged", "[111]\r\nkey=V\r\n", "[111]\r\nkey=V\r\n"},
    {"line kept up to =, other lines kept",
     "; top\r\n[a]\r\nx = 1\r\n\r\n[111]\r\nfoo=1\r\n  Key = OLD  \r\nbar=2\r\n",
     "; top\r\n[a]\r\nx = 1\r\n\r\n[111]\r\nfoo=1\r\n  Key =V\r\nbar=2\r\n"},
    {"LF line end kept on replace", "[111]\nkey=OLD\nx=1", "[111]\nkey=V\nx=1"},
    {"entry added after the section's last line",
     "[111]\r\nfoo=1\r\n\r\n[b]\r\ny=2\r\n", "[111]\r\nfoo=1\r\nkey=V\r\n\r\n[b]\r\ny=2\r\n"},
    {"entry added after a header alone", "[111]\r\n[b]\r\n", "[111]\r\nkey=V\r\n[b]\r\n"},
    {"entry added to a header without line end", "[111]", "[111]\r\nkey=V\r\n"},
    {"entry added to the first section of the name",
     "[111]\r\nx=1\r\n[111]\r\nkey=OLD\r\n", "[111]\r\nx=1\r\nkey=V\r\n[111]\r\nkey=OLD\r\n"},
    {"section added at the end", "[a]\r\nx=1\r\n", "[a]\r\nx=1\r\n[111]\r\nkey=V\r\n"},
    {"line end added before a new section", "[a]\r\nx=1", "[a]\r\nx=1\r\n[111]\r\nkey=V\r\n"},
    {"LF file gets CR LF lines", "[a]\nx=1\n", "[a]\nx=1\n[111]\r\nkey=V\r\n"},
    {"only blank lines before", "\r\n\r\n", "\r\n\r\n[111]\r\nkey=V\r\n"},
};

TEST(IniWrite, Cases) {
    for (const EditCase& c : kWriteCases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.after, IniWrite(c.before, "111", "key", "V"));
        EXPECT_EQ(Widen(c.after), IniWrite(Widen(c.before), L"111", L"key", L"V"));
    }
}

TEST(IniWrite, EmptyValue) { EXPECT_EQ("[111]\r\nkey=\r\n", IniWrite("", "111", "key", "")); }

// For any file, a write is read back and leaves every other entry readable
// as before. A delete right after gives back a file that had no such entry
// (unless the write had to add a line break or the section was empty before).
TEST(IniWrite, ReadBackAndUndoneByDelete) {
    const std::vector<std::pair<std::string, bool>> files = {
        {"", true},
        {"[a]\r\nx=1\r\n", true},
        {"[111]\r\nfoo=1\r\n", true},
        {"[111]\r\nkey=OLD\r\nfoo=1\r\n\r\n[b]\r\nkey=2\r\n", false},
        {"; c\n[111]\n\n[a]\nx=1\n", false},
        {"[a]\r\nx=1", false},
    };
    for (const auto& [before, undone] : files) {
        SCOPED_TRACE(before);
        const std::string after = IniWrite(before, "111", "key", "NEW");
        EXPECT_EQ("NEW", IniRead(after, "111", "key"));
        for (const char* other : {"foo", "x"}) {
            EXPECT_EQ(IniRead(before, "111", other), IniRead(after, "111", other));
            EXPECT_EQ(IniRead(before, "a", other), IniRead(after, "a", other));
        }
        EXPECT_EQ(IniRead(before, "b", "key"), IniRead(after, "b", "key"));
        if (undone) {
            EXPECT_EQ(before, IniDelete(after, "111", "key"));
        }
    }
}

// ---- removing ----

// IniDelete(before, "111", "key").
const std::vector<EditCase> kDeleteCases = {
    {"record alone: nothing left", "[111]\r\nkey=V\r\n", ""},
    {"other sections kept", "[a]\r\nx=1\r\n[111]\r\nkey=V\r\n", "[a]\r\nx=1\r\n"},
    {"other entries of the section kept", "[111]\r\nkey=V\r\nfoo=1\r\n", "[111]\r\nfoo=1\r\n"},
    {"a comment keeps the section", "[111]\r\n; note\r\nkey=V\r\n", "[111]\r\n; note\r\n"},
    {"emptied section goes with its blank lines",
     "[a]\r\nx=1\r\n\r\n[111]\r\nkey=V\r\n\r\n[b]\r\ny=2\r\n", "[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n"},
    {"last line without line end", "[a]\r\nx=1\r\n[111]\r\nkey=V", "[a]\r\nx=1\r\n"},
    {"only the first entry of the name", "[111]\r\nkey=1\r\nkey=2\r\n", "[111]\r\nkey=2\r\n"},
    {"missing key: unchanged", "[111]\r\nfoo=1\r\n", "[111]\r\nfoo=1\r\n"},
    {"key of another section untouched", "[a]\r\nkey=1\r\n", "[a]\r\nkey=1\r\n"},
    {"missing file text", "", ""},
};

TEST(IniDelete, Cases) {
    for (const EditCase& c : kDeleteCases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.after, IniDelete(c.before, "111", "key"));
        EXPECT_EQ(Widen(c.after), IniDelete(Widen(c.before), L"111", L"key"));
    }
}

TEST(IniIsBlank, Cases) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {"", true}, {"\r\n \t\r\n", true}, {"\n\n", true}, {";", false}, {"\r\n[a]\r\n", false}, {"x", false},
    };
    for (const auto& [text, blank] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(blank, IniIsBlank(text));
        EXPECT_EQ(blank, IniIsBlank(Widen(text)));
    }
}

}  // namespace
