// Byte strings written as hexadecimal text and back, for the cipher tests:
// vectors and expected results are easier to read and compare as hex.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Two upper-case digits per byte.
inline std::string Hex(std::string_view bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        hex.push_back(digits[byte >> 4]);
        hex.push_back(digits[byte & 0x0F]);
    }
    return hex;
}

// Pairs of hex digits (either case) to bytes; the text must be well formed.
inline std::string Bytes(std::string_view hex) {
    const auto value = [](char c) {
        return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
    };
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<char>(value(hex[i]) * 16 + value(hex[i + 1])));
    }
    return bytes;
}
