// Fuzz target for the argument rule. The command line comes from whoever
// starts the program (the context menu, a shortcut, another program), so any
// line must split, and the folder argument must be the last element.
//
// Input: the line as UTF-16 code units, two bytes each, low byte first (a
// last odd byte is dropped).
#include "FuzzCheck.h"
#include "app/CommandLine.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

bool IsSeparator(wchar_t c) { return c >= 1 && c <= 32; }

// The elements of a line without quotes: its runs of non-separators, and at
// least the (empty) program name.
std::vector<std::wstring> Runs(std::wstring_view line) {
    std::vector<std::wstring> runs;
    std::size_t pos = 0;
    for (;;) {
        while (pos < line.size() && IsSeparator(line[pos])) ++pos;
        if (pos == line.size()) break;
        const std::size_t start = pos;
        while (pos < line.size() && !IsSeparator(line[pos])) ++pos;
        runs.emplace_back(line.substr(start, pos - start));
    }
    if (runs.empty()) runs.emplace_back();
    return runs;
}

// Whether the characters of part appear in whole, in order, in text.
bool IsSubsequence(std::wstring_view part, std::wstring_view text) {
    std::size_t at = 0;
    for (const wchar_t c : text) {
        if (at < part.size() && part[at] == c) ++at;
    }
    return at == part.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::wstring line;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        line.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    }

    // Every line splits: a program name (maybe empty), then non-empty
    // arguments. No element holds a NUL (the line ends there) or a quote
    // (quotes only open and close stretches).
    const std::vector<std::wstring> elements = SplitCommandLine(line);
    FUZZ_CHECK(!elements.empty());
    for (std::size_t i = 0; i < elements.size(); ++i) {
        FUZZ_CHECK(i == 0 || !elements[i].empty());
        FUZZ_CHECK(elements[i].find(L'\0') == std::wstring::npos);
        FUZZ_CHECK(elements[i].find(L'"') == std::wstring::npos);
    }
    FUZZ_CHECK(LastArgument(line) == (elements.size() > 1 ? elements.back() : std::wstring()));

    // Nothing after a NUL counts.
    const std::wstring visible = line.substr(0, line.find(L'\0'));
    FUZZ_CHECK(SplitCommandLine(visible) == elements);

    // Every character of the elements comes from the line, in order.
    std::wstring joined;
    for (const std::wstring& element : elements) joined += element;
    FUZZ_CHECK(IsSubsequence(joined, visible));

    // Without quotes, separators alone split the line.
    const auto quotes = std::count(visible.begin(), visible.end(), L'"');
    if (quotes == 0) FUZZ_CHECK(elements == Runs(visible));

    // After a line that closes all its quotes and names a program, a quoted
    // folder path is one more argument, whatever it holds (the context menu's
    // "program" "%1"); an empty pair of quotes adds nothing.
    if (quotes % 2 == 0 && !elements[0].empty()) {
        FUZZ_CHECK(SplitCommandLine(visible + L" \"\"") == elements);
        std::wstring folder = visible;
        folder.erase(std::remove(folder.begin(), folder.end(), L'"'), folder.end());
        if (!folder.empty()) {
            std::vector<std::wstring> withFolder = elements;
            withFolder.push_back(folder);
            FUZZ_CHECK(SplitCommandLine(visible + L" \"" + folder + L"\"") == withFolder);
            FUZZ_CHECK(LastArgument(visible + L" \"" + folder + L"\"") == folder);
        }
    }
    return 0;
}
