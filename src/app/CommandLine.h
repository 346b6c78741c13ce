// The program's argument rule: how a command line splits into arguments and
// which one names the folder. Portable; works on whole UTF-16 characters.
//
// Splitting:
//  - arguments are separated by runs of characters with codes 1 to 32;
//  - a double quote opens a quoted stretch that runs to the next double quote
//    or to the end of the line; separators inside it belong to the argument,
//    the quotes are dropped; touching quoted and unquoted stretches form one
//    argument;
//  - a pair of double quotes at the start of an argument is skipped, so ""
//    alone counts as no argument;
//  - the list stops at the first empty argument.
// The first element is the program name, as the line holds it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

std::vector<std::wstring> SplitCommandLine(std::wstring_view line);

// The last argument after the program name; empty when there is none.
std::wstring LastArgument(std::wstring_view line);
