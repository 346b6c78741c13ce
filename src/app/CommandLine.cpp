// The argument rule of the program: the command line split the way the
// Delphi run-time's ParamStr/ParamCount split it, which the context-menu
// command relies on (the folder path in double quotes, no escapes, so a
// drive root "C:\" stays C:\). Pure text; the entry point passes the line.
#include "app/CommandLine.h"

#include <cstddef>
#include <cstdint>
#include <utility>

namespace {

constexpr wchar_t kQuote = L'"';

// Codes 1 to 32 separate arguments; NUL never occurs (it ends the line). Compared
// unsigned, so every character above 32 (any non-ASCII code) is argument text.
bool IsArgumentChar(wchar_t c) {
    return static_cast<std::uint32_t>(c) > 32;
}

// The character at pos, or NUL past the end of the line.
wchar_t At(std::wstring_view line, std::size_t pos) {
    return pos < line.size() ? line[pos] : L'\0';
}

// Reads the element that starts at or after pos and moves pos past it. An
// empty result means the line held no further element (or a lone quote).
std::wstring NextElement(std::wstring_view line, std::size_t& pos) {
    // Separators, and pairs of quotes in front of an element, are skipped.
    for (;;) {
        while (pos < line.size() && !IsArgumentChar(line[pos])) ++pos;
        if (At(line, pos) == kQuote && At(line, pos + 1) == kQuote) {
            pos += 2;
        } else {
            break;
        }
    }

    std::wstring element;
    while (pos < line.size() && IsArgumentChar(line[pos])) {
        if (line[pos] == kQuote) {
            // A quoted stretch: to the next quote or the end of the line,
            // separators included, the quotes themselves dropped.
            ++pos;
            while (pos < line.size() && line[pos] != kQuote) element.push_back(line[pos++]);
            if (pos < line.size()) ++pos;
        } else {
            element.push_back(line[pos++]);
        }
    }
    return element;
}

}  // namespace

std::vector<std::wstring> SplitCommandLine(std::wstring_view line) {
    // The line ends at its first NUL, as the C string the system hands over.
    line = line.substr(0, line.find(L'\0'));

    std::size_t pos = 0;
    std::vector<std::wstring> elements;
    elements.push_back(NextElement(line, pos));  // the program name, even if empty
    for (;;) {
        std::wstring argument = NextElement(line, pos);
        if (argument.empty()) break;
        elements.push_back(std::move(argument));
    }
    return elements;
}

std::wstring LastArgument(std::wstring_view line) {
    std::vector<std::wstring> elements = SplitCommandLine(line);
    return elements.size() > 1 ? std::move(elements.back()) : std::wstring();
}
