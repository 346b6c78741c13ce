// Fuzz target for the INI text of a dat.ini. The file lies in the user's
// folder and may hold anything, so reading and editing must cope with any
// text and keep what IniText.h promises: a value written is read back, an
// edit changes only the lines of its entry, a delete takes out whole lines.
//
// Input: section, key, value and text, parted by the first three NUL bytes
// (missing parts are empty). Everything runs on the bytes as code page 936
// text and, each byte widened to one unit, as UTF-16 text; on ASCII input the
// two must agree.
#include "FuzzCheck.h"
#include "platform/IniText.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

template <class Char>
using Text = std::basic_string<Char>;

template <class Char>
using View = std::basic_string_view<Char>;

std::uint32_t Unit(char c) { return static_cast<unsigned char>(c); }
std::uint32_t Unit(wchar_t c) { return static_cast<std::uint32_t>(c); }

// Code page 936 (GBK): a lead byte followed by a trail byte is one character.
bool IsLeadByte(char c) { return Unit(c) >= 0x81 && Unit(c) <= 0xFE; }
bool IsTrailByte(char c) { return Unit(c) >= 0x40 && Unit(c) <= 0xFE && Unit(c) != 0x7F; }

// ---- names and values the header allows ----

// Names and values are single lines. These also leave out the other control
// characters, so that the only blank in them is the space and the trimming
// the header describes is beyond doubt.
template <class Char>
Text<Char> OneLine(View<Char> s) {
    Text<Char> out;
    for (const Char c : s) {
        if (Unit(c) >= 0x20) out += c;
    }
    return out;
}

// A section name that "[name]" gives back: no "]" character of its own (the
// first one ends the name) and, in code page 936, no lead byte at its end,
// which would take the closing "]" as its second byte.
std::string SectionName(std::string_view raw) {
    const std::string s = OneLine(raw);
    std::string name;
    bool endsInLead = false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (i + 1 < s.size() && IsLeadByte(s[i]) && IsTrailByte(s[i + 1])) {
            name.append(s, i, 2);
            ++i;
            endsInLead = false;
        } else if (s[i] != ']') {
            name += s[i];
            endsInLead = IsLeadByte(s[i]);
        }
    }
    if (endsInLead) name.pop_back();
    return name;
}

std::wstring SectionName(std::wstring_view raw) {
    std::wstring name = OneLine(raw);
    name.erase(std::remove(name.begin(), name.end(), L']'), name.end());
    return name;
}

// A key that "key=value" gives back: no "=" (the first one ends the name),
// and no "[" first, which would make the line a section header when a "]"
// follows anywhere in it.
template <class Char>
Text<Char> KeyName(View<Char> raw) {
    Text<Char> key = OneLine(raw);
    key.erase(std::remove(key.begin(), key.end(), Char('=')), key.end());
    for (;;) {
        const std::size_t first = key.find_first_not_of(Char(' '));
        if (first == Text<Char>::npos || key[first] != Char('[')) break;
        key.erase(first, 1);
    }
    return key;
}

// A value as IniRead gives it back: without its surrounding blanks, then
// without one pair of matching quotes around it.
template <class Char>
Text<Char> AsRead(View<Char> value) {
    while (!value.empty() && value.front() == Char(' ')) value.remove_prefix(1);
    while (!value.empty() && value.back() == Char(' ')) value.remove_suffix(1);
    if (value.size() >= 2 && (value.front() == Char('"') || value.front() == Char('\'')) &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return Text<Char>(value);
}

// ---- lines ----

// The lines of a text, each with its LF (the last one may have none).
template <class Char>
std::vector<View<Char>> Lines(View<Char> text) {
    std::vector<View<Char>> lines;
    while (!text.empty()) {
        const std::size_t lf = text.find(Char('\n'));
        const std::size_t length = lf == View<Char>::npos ? text.size() : lf + 1;
        lines.push_back(text.substr(0, length));
        text.remove_prefix(length);
    }
    return lines;
}

// A line without its line ending: the LF and a CR before it.
template <class Char>
View<Char> Content(View<Char> line) {
    if (line.ends_with(Char('\n'))) {
        line.remove_suffix(1);
        if (line.ends_with(Char('\r'))) line.remove_suffix(1);
    }
    return line;
}

template <class Char>
std::ptrdiff_t Count(View<Char> text, View<Char> what) {
    std::ptrdiff_t n = 0;
    for (std::size_t at = text.find(what); at != View<Char>::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

template <class Char>
Text<Char> Join(const std::vector<View<Char>>& lines) {
    Text<Char> text;
    for (const View<Char> line : lines) text += line;
    return text;
}

// after must be text with one run of whole lines taken out. Returns whether
// ok accepts that run; when equal lines make several runs possible, any one.
template <class Char, class Ok>
bool RemovedRunIs(View<Char> text, View<Char> after, Ok ok) {
    const std::vector<View<Char>> before = Lines(text);
    const std::vector<View<Char>> kept = Lines(after);
    FUZZ_CHECK(kept.size() < before.size());
    const std::size_t removed = before.size() - kept.size();
    std::size_t head = 0;
    while (head < kept.size() && kept[head] == before[head]) ++head;
    std::size_t tail = 0;
    while (tail < kept.size() && kept[kept.size() - 1 - tail] == before[before.size() - 1 - tail]) ++tail;
    FUZZ_CHECK(head + tail >= kept.size());
    for (std::size_t first = kept.size() - tail; first <= head; ++first) {
        const auto run = std::vector<View<Char>>(before.begin() + static_cast<std::ptrdiff_t>(first),
                                                 before.begin() + static_cast<std::ptrdiff_t>(first + removed));
        if (ok(run)) return true;
    }
    return false;
}

// What a delete takes out: the entry's line alone; or its section's header,
// the entry and blank lines, with the entry read back from those lines alone.
template <class Char, class IsEntryLine>
bool IsDeletedEntry(const std::vector<View<Char>>& run, View<Char> section, View<Char> key,
                    const std::optional<Text<Char>>& value, IsEntryLine isEntryLine) {
    if (run.size() == 1) return isEntryLine(Content(run[0]));
    std::ptrdiff_t entries = 0;
    for (std::size_t i = 1; i < run.size(); ++i) {
        if (IniIsBlank(run[i])) continue;
        if (!isEntryLine(Content(run[i]))) return false;
        ++entries;
    }
    return entries == 1 && IniRead(View<Char>(Join(run)), section, key) == value;
}

// ---- the checks ----

// Any text, any names: reading and deleting.
template <class Char>
void CheckAnyText(View<Char> text, View<Char> section, View<Char> key) {
    const std::optional<Text<Char>> value = IniRead(text, section, key);
    if (value) FUZZ_CHECK(value->find(Char('\n')) == Text<Char>::npos);
    if (IniIsBlank(text)) FUZZ_CHECK(!value);

    const Text<Char> deleted = IniDelete(text, section, key);
    FUZZ_CHECK((deleted == text) == !value);
    if (value) {
        const auto hasEquals = [](View<Char> line) { return line.find(Char('=')) != View<Char>::npos; };
        FUZZ_CHECK(RemovedRunIs(text, View<Char>(deleted), [&](const std::vector<View<Char>>& run) {
            return IsDeletedEntry(run, section, key, value, hasEquals);
        }));
    }
}

// Write with names and a value as the header allows them, read back, write
// again, delete.
template <class Char>
void CheckWrite(View<Char> text, View<Char> section, View<Char> key, View<Char> value) {
    const std::optional<Text<Char>> old = IniRead(text, section, key);
    const Text<Char> written = IniWrite(text, section, key, value);
    const View<Char> w = written;
    FUZZ_CHECK(IniRead(w, section, key) == AsRead(value));
    FUZZ_CHECK(IniWrite(w, section, key, value) == written);

    // Every line but the entry's is kept, and new lines end in CR LF: what
    // text loses lies within one line, and each LF added comes with its CR.
    std::size_t head = 0;
    while (head < text.size() && head < w.size() && text[head] == w[head]) ++head;
    std::size_t tail = 0;
    while (tail < text.size() - head && tail < w.size() - head &&
           text[text.size() - 1 - tail] == w[w.size() - 1 - tail]) {
        ++tail;
    }
    FUZZ_CHECK(text.substr(head, text.size() - head - tail).find(Char('\n')) == View<Char>::npos);
    const Char lf[] = {'\n', 0};
    const Char crlf[] = {'\r', '\n', 0};
    const std::ptrdiff_t newLines = Count(w, View<Char>(lf)) - Count(text, View<Char>(lf));
    FUZZ_CHECK(newLines >= 0 && newLines <= 3);
    FUZZ_CHECK(Count(w, View<Char>(crlf)) - Count(text, View<Char>(crlf)) == newLines);

    // The entry's line ends in "=" and the value; a delete takes it out again.
    Text<Char> assignment(1, Char('='));
    assignment += value;
    const auto isEntryLine = [&](View<Char> line) { return line.ends_with(View<Char>(assignment)); };
    const Text<Char> deleted = IniDelete(w, section, key);
    bool entryAlone = false;
    FUZZ_CHECK(RemovedRunIs(w, View<Char>(deleted), [&](const std::vector<View<Char>>& run) {
        entryAlone = run.size() == 1;
        return IsDeletedEntry(run, section, key, std::optional<Text<Char>>(AsRead(value)), isEntryLine);
    }));
    // A text without the entry comes back, but for the line end that the
    // entry needed after a last line without one.
    if (!old && entryAlone) {
        FUZZ_CHECK(deleted == text || (!text.ends_with(Char('\n')) && deleted == Text<Char>(text) + crlf));
    }
}

template <class Char>
void CheckAll(View<Char> section, View<Char> key, View<Char> value, View<Char> text) {
    CheckAnyText(text, section, key);
    IniWrite(text, section, key, value);  // outside what the header allows: only no fault

    const Text<Char> goodSection = SectionName(section);
    const Text<Char> goodKey = KeyName(key);
    const Text<Char> goodValue = OneLine(value);
    CheckWrite(text, View<Char>(goodSection), View<Char>(goodKey), View<Char>(goodValue));
}

std::wstring Widen(std::string_view s) {
    std::wstring wide;
    for (const char c : s) wide += static_cast<wchar_t>(Unit(c));
    return wide;
}

template <class T>
std::optional<std::wstring> Widen(const std::optional<T>& s) {
    if (!s) return std::nullopt;
    return Widen(*s);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::string_view parts[3];
    for (std::string_view& part : parts) {
        const std::size_t nul = rest.find('\0');
        part = rest.substr(0, nul);
        rest.remove_prefix(nul == std::string_view::npos ? rest.size() : nul + 1);
    }
    const std::string_view section = parts[0], key = parts[1], value = parts[2], text = rest;
    CheckAll(section, key, value, text);

    const std::wstring wideSection = Widen(section), wideKey = Widen(key), wideValue = Widen(value),
                       wideText = Widen(text);
    CheckAll<wchar_t>(wideSection, wideKey, wideValue, wideText);

    // Without code page 936 characters the two forms are the same text.
    if (std::all_of(data, data + size, [](std::uint8_t b) { return b < 0x80; })) {
        FUZZ_CHECK(Widen(IniRead(text, section, key)) == IniRead(wideText, wideSection, wideKey));
        FUZZ_CHECK(Widen(IniWrite(text, section, key, value)) ==
                   IniWrite(wideText, wideSection, wideKey, wideValue));
        FUZZ_CHECK(Widen(IniDelete(text, section, key)) == IniDelete(wideText, wideSection, wideKey));
        FUZZ_CHECK(IniIsBlank(text) == IniIsBlank(wideText));
    }
    return 0;
}
