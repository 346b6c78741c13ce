// The argument rule: how a command line splits and which argument names the
// folder. The context menu starts the program as  "exe path" "folder path".
#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Case {
    const char* what;
    std::wstring line;
    std::vector<std::wstring> elements;  // program name first
};

std::wstring LongPath() {
    std::wstring path = L"D:\\";
    while (path.size() <= 300) path += L"很长的文件夹名称 long\\";
    return path + L"末尾.";
}

std::vector<Case> Cases() {
    const std::wstring fl = L"fl.exe";
    return {
        {"no arguments", L"C:\\Tools\\folderlock.exe", {L"C:\\Tools\\folderlock.exe"}},
        {"empty line", L"", {L""}},
        {"only separators after the program", L"fl.exe \t  ", {fl}},
        {"separators before the program", L"  \tfl.exe a", {fl, L"a"}},
        {"program name quoted with spaces", L"\"C:\\Program Files\\Folder Lock\\fl.exe\" \"C:\\x\"",
         {L"C:\\Program Files\\Folder Lock\\fl.exe", L"C:\\x"}},
        {"quoted path with spaces", L"fl.exe \"C:\\My Files\\a b\"", {fl, L"C:\\My Files\\a b"}},
        {"two arguments", L"fl.exe /x C:\\Data", {fl, L"/x", L"C:\\Data"}},
        {"\"\" before the path skipped", L"fl.exe \"\" \"C:\\a b\"", {fl, L"C:\\a b"}},
        {"\"\" touching the front of an argument", L"fl.exe \"\"C:\\x", {fl, L"C:\\x"}},
        {"\"\" in the middle", L"fl.exe a \"\" b", {fl, L"a", L"b"}},
        {"path ending in a dot", L"fl.exe \"C:\\data\\secret.\"", {fl, L"C:\\data\\secret."}},
        {"a lone dot", L"fl.exe .", {fl, L"."}},
        {"drive root", L"fl.exe C:\\", {fl, L"C:\\"}},
        {"backslash before a quote is no escape", L"fl.exe \"C:\\\" next", {fl, L"C:\\", L"next"}},
        {"letter case kept", L"FL.EXE C:\\Data\\MiXeD", {L"FL.EXE", L"C:\\Data\\MiXeD"}},
        {"tabs and control characters separate", L"fl.exe\ta\x01\x1F b\r\n\x7F", {fl, L"a", L"b", L"\x7F"}},
        {"'!' (33) is no separator", L"fl.exe !", {fl, L"!"}},
        {"separators inside quotes kept", L"fl.exe \"a\tb  c\"", {fl, L"a\tb  c"}},
        {"quoted and unquoted stretches touching", L"fl.exe C:\\\"My Files\"\\x\"y\"z",
         {fl, L"C:\\My Files\\xyz"}},
        {"empty quotes closing an argument", L"fl.exe C:\\x\"\" y", {fl, L"C:\\x", L"y"}},
        {"unclosed quote runs to the end", L"fl.exe \"C:\\a b  ", {fl, L"C:\\a b  "}},
        {"lone quote at the end ends the list", L"fl.exe a \"", {fl, L"a"}},
        {"pair then lone quote at the end", L"fl.exe a \"\"\"", {fl, L"a"}},
        {"a quoted space is an argument", L"fl.exe \" \"", {fl, L" "}},
        {"NUL ends the line", std::wstring(L"fl.exe a\0b", 10), {fl, L"a"}},
        {"Chinese path", L"fl.exe \"D:\\资料\\加密 文件夹\"", {fl, L"D:\\资料\\加密 文件夹"}},
        {"character outside the BMP", L"fl.exe D:\\\U00020000\U0001F512", {fl, L"D:\\\U00020000\U0001F512"}},
        {"path longer than 260 characters", fl + L" \"" + LongPath() + L"\"", {fl, LongPath()}},
    };
}

TEST(CommandLine, Splitting) {
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.elements, SplitCommandLine(c.line));
    }
}

TEST(CommandLine, LastArgumentNamesTheFolder) {
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.elements.size() > 1 ? c.elements.back() : L"", LastArgument(c.line));
    }
}

}  // namespace
