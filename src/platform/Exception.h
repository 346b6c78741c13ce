// Exception: the one error type the program raises. Its message is UTF-8 so
// that the header needs no <windows.h> and the portable core can throw it;
// the application object turns it into the text of the error box.
#pragma once

#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
