// INI text as the profile calls see it; one template serves the code page
// 936 bytes and the UTF-16 text. The only place where the two differ is the
// double-byte character of code page 936, which must be stepped over as a
// whole when looking for "]" and when comparing names.
#include "platform/IniText.h"

#include <cstddef>
#include <vector>

namespace {

// Code page 936: a byte 0x81-0xFE followed by a byte 0x40-0x7E or 0x80-0xFE
// is one character. No byte of the ASCII range below 0x40 (blanks, line
// breaks, "=", quotes) can be the second byte of one; "[", "]" and letters can.
bool IsLeadUnit(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x81 && b <= 0xFE;
}

bool IsTrailUnit(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

bool IsLeadUnit(wchar_t) { return false; }
bool IsTrailUnit(wchar_t) { return false; }

template <class Char>
using View = std::basic_string_view<Char>;

template <class Char>
using Text = std::basic_string<Char>;

// Number of units of the character at text[i]: 2 for a double-byte one.
template <class Char>
std::size_t CharLength(View<Char> text, std::size_t i) {
    return i + 1 < text.size() && IsLeadUnit(text[i]) && IsTrailUnit(text[i + 1]) ? 2 : 1;
}

template <class Char>
bool IsBlank(Char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

template <class Char>
View<Char> Trim(View<Char> s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

template <class Char>
Char FoldAscii(Char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<Char>(c - 'A' + 'a') : c;
}

// Names match without regard to ASCII case or surrounding blanks; the bytes
// of a double-byte character must be the same.
template <class Char>
bool SameName(View<Char> a, View<Char> b) {
    a = Trim(a);
    b = Trim(b);
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size();) {
        const std::size_t n = CharLength(a, i);
        if (n != CharLength(b, i)) return false;
        if (n == 2) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
        } else if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
        i += n;
    }
    return true;
}

template <class Char>
View<Char> Unquote(View<Char> value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

enum class LineKind { Blank, Header, Entry, Other };

struct Line {
    std::size_t start = 0;       // first unit of the line
    std::size_t end = 0;         // where its line ending (CR LF or LF) or the text begins
    std::size_t next = 0;        // first unit of the following line
    LineKind kind = LineKind::Blank;
    std::size_t nameStart = 0;   // Header, Entry: the name, untrimmed
    std::size_t nameLength = 0;
    std::size_t valueStart = 0;  // Entry: first unit after "="

    bool HasLineEnd() const { return next > end; }
};

template <class Char>
void Classify(View<Char> text, Line& line) {
    const View<Char> content = Trim(text.substr(line.start, line.end - line.start));
    const std::size_t offset = static_cast<std::size_t>(content.data() - text.data());
    if (content.empty()) {
        line.kind = LineKind::Blank;
        return;
    }
    if (content.front() == '[') {
        for (std::size_t i = 1; i < content.size(); i += CharLength(content, i)) {
            if (content[i] == ']') {
                line.kind = LineKind::Header;
                line.nameStart = offset + 1;
                line.nameLength = i - 1;
                return;
            }
        }
    }
    const std::size_t equals = content.find(Char('='));
    if (equals == View<Char>::npos) {
        line.kind = LineKind::Other;
        return;
    }
    line.kind = LineKind::Entry;
    line.nameStart = offset;
    line.nameLength = equals;
    line.valueStart = offset + equals + 1;
}

template <class Char>
std::vector<Line> SplitLines(View<Char> text) {
    std::vector<Line> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        Line line;
        line.start = start;
        const std::size_t lf = text.find(Char('\n'), start);
        if (lf == View<Char>::npos) {
            line.end = line.next = text.size();
        } else {
            line.end = lf > start && text[lf - 1] == '\r' ? lf - 1 : lf;
            line.next = lf + 1;
        }
        Classify(text, line);
        lines.push_back(line);
        start = line.next;
    }
    return lines;
}

// Where section/key stand in the text.
struct Layout {
    std::vector<Line> lines;
    bool hasSection = false;
    std::size_t header = 0;      // the section's header line
    std::size_t sectionEnd = 0;  // the first line after the section
    bool hasEntry = false;
    std::size_t entry = 0;       // the entry's line
};

template <class Char>
View<Char> NameOf(View<Char> text, const Line& line) {
    return text.substr(line.nameStart, line.nameLength);
}

template <class Char>
Layout Locate(View<Char> text, View<Char> section, View<Char> key) {
    Layout layout;
    layout.lines = SplitLines(text);
    const std::vector<Line>& lines = layout.lines;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind != LineKind::Header || !SameName(NameOf(text, lines[i]), section)) continue;
        layout.hasSection = true;
        layout.header = i;
        std::size_t j = i + 1;
        for (; j < lines.size() && lines[j].kind != LineKind::Header; ++j) {
            if (!layout.hasEntry && lines[j].kind == LineKind::Entry && SameName(NameOf(text, lines[j]), key)) {
                layout.hasEntry = true;
                layout.entry = j;
            }
        }
        layout.sectionEnd = j;
        break;  // only the first section of the name counts
    }
    return layout;
}

template <class Char>
const Char* LineBreak() {
    static const Char crlf[] = {'\r', '\n', 0};
    return crlf;
}

template <class Char>
std::optional<Text<Char>> Read(View<Char> text, View<Char> section, View<Char> key) {
    const Layout layout = Locate(text, section, key);
    if (!layout.hasEntry) return std::nullopt;
    const Line& line = layout.lines[layout.entry];
    return Text<Char>(Unquote(Trim(text.substr(line.valueStart, line.end - line.valueStart))));
}

template <class Char>
Text<Char> Write(View<Char> text, View<Char> section, View<Char> key, View<Char> value) {
    const Layout layout = Locate(text, section, key);
    Text<Char> out;
    if (layout.hasEntry) {
        const Line& line = layout.lines[layout.entry];
        out.append(text.substr(0, line.valueStart));
        out.append(value);
        out.append(text.substr(line.end));
        return out;
    }
    const Text<Char> entryLine = Text<Char>(key) + Char('=') + Text<Char>(value) + LineBreak<Char>();
    if (layout.hasSection) {
        // After the section's last non-blank line, so that blank lines
        // between it and the next section stay where they are.
        std::size_t last = layout.header;
        for (std::size_t j = layout.header + 1; j < layout.sectionEnd; ++j) {
            if (layout.lines[j].kind != LineKind::Blank) last = j;
        }
        const Line& line = layout.lines[last];
        out.append(text.substr(0, line.next));
        if (!line.HasLineEnd()) out.append(LineBreak<Char>());
        out.append(entryLine);
        out.append(text.substr(line.next));
        return out;
    }
    out.append(text);
    if (!out.empty() && out.back() != '\n') out.append(LineBreak<Char>());
    out += Char('[');
    out.append(section);
    out += Char(']');
    out.append(LineBreak<Char>());
    out.append(entryLine);
    return out;
}

template <class Char>
Text<Char> Delete(View<Char> text, View<Char> section, View<Char> key) {
    const Layout layout = Locate(text, section, key);
    if (!layout.hasEntry) return Text<Char>(text);
    bool sectionKeepsContent = false;
    for (std::size_t j = layout.header + 1; j < layout.sectionEnd; ++j) {
        if (j != layout.entry && layout.lines[j].kind != LineKind::Blank) sectionKeepsContent = true;
    }
    std::size_t from = layout.lines[layout.entry].start;
    std::size_t to = layout.lines[layout.entry].next;
    if (!sectionKeepsContent) {
        from = layout.lines[layout.header].start;
        to = layout.lines[layout.sectionEnd - 1].next;
    }
    Text<Char> out(text.substr(0, from));
    out.append(text.substr(to));
    return out;
}

template <class Char>
bool IsBlankText(View<Char> text) {
    for (const Char c : text) {
        if (!IsBlank(c) && c != '\n') return false;
    }
    return true;
}

}  // namespace

std::optional<std::string> IniRead(std::string_view text, std::string_view section, std::string_view key) {
    return Read<char>(text, section, key);
}

std::optional<std::wstring> IniRead(std::wstring_view text, std::wstring_view section, std::wstring_view key) {
    return Read<wchar_t>(text, section, key);
}

std::string IniWrite(std::string_view text, std::string_view section, std::string_view key, std::string_view value) {
    return Write<char>(text, section, key, value);
}

std::wstring IniWrite(std::wstring_view text, std::wstring_view section, std::wstring_view key,
                      std::wstring_view value) {
    return Write<wchar_t>(text, section, key, value);
}

std::string IniDelete(std::string_view text, std::string_view section, std::string_view key) {
    return Delete<char>(text, section, key);
}

std::wstring IniDelete(std::wstring_view text, std::wstring_view section, std::wstring_view key) {
    return Delete<wchar_t>(text, section, key);
}

bool IniIsBlank(std::string_view text) { return IsBlankText<char>(text); }

bool IniIsBlank(std::wstring_view text) { return IsBlankText<wchar_t>(text); }
