// DES block cipher (FIPS PUB 46) and the text and hex layer of the password
// record. The block cipher works bit by bit from the tables of DesTables.h,
// in fixed buffers of a few bytes; the text layer pads with NUL bytes and
// encrypts each 8-byte block by itself (ECB).
//
// The subkeys live in the one module table DesSubkeys: every text operation
// runs the key schedule into it and then processes its blocks with it.
#include "cipher/DES.h"

#include <cstddef>
#include <cstring>
#include <utility>

#include "cipher/DesTables.h"
#include "platform/Exception.h"

DesSubkeyTable DesSubkeys = {};

namespace {

// Bit k of a bit array: byte k / 8, mask 0x80 >> (k % 8) (FIPS 46 order,
// counted from 0).
bool GetBit(const std::uint8_t* bits, std::size_t k) {
    return (bits[k / 8] & (0x80u >> (k % 8))) != 0;
}

void SetBit(std::uint8_t* bits, std::size_t k) {
    bits[k / 8] = static_cast<std::uint8_t>(bits[k / 8] | (0x80u >> (k % 8)));
}

// Output bit i = input bit table[i]. The result is built in a cleared buffer
// of its own and copied out at the end, so output may be the input itself.
template <std::size_t OutputBits>
void Permute(const std::uint8_t (&table)[OutputBits], const std::uint8_t* input,
             std::uint8_t* output) {
    static_assert(OutputBits % 8 == 0);
    std::uint8_t buffer[OutputBits / 8] = {};
    for (std::size_t i = 0; i < OutputBits; ++i) {
        if (GetBit(input, table[i])) SetBit(buffer, i);
    }
    std::memcpy(output, buffer, sizeof buffer);
}

// Box number box (0 to 7) applied to a 6-bit group x: the row is x's outer
// bits (5 and 0), the column its middle bits (4 to 1).
std::uint8_t SBox(int box, std::uint8_t x) {
    const int entry = (x & 0x20) | ((x & 1) << 4) | ((x >> 1) & 0x0F);
    return static_cast<std::uint8_t>(DesSBoxes[box][entry] & 0x0F);
}

// Rotates a 28-bit half left by count positions. The half is right-aligned in
// 4 bytes: the low nibble of byte 0 holds its first 4 bits.
void RotateHalf(std::uint8_t half[4], int count) {
    for (int n = 0; n < count; ++n) {
        // Shift the 4 bytes left by one as one big-endian number; the bit that
        // leaves the 28-bit field lands under 0x10 of byte 0 ...
        for (int j = 0; j < 3; ++j) {
            half[j] = static_cast<std::uint8_t>((half[j] << 1) | (half[j + 1] >> 7));
        }
        // ... and re-enters as the lowest bit.
        half[3] = static_cast<std::uint8_t>((half[3] << 1) | ((half[0] & 0x10) >> 4));
        half[0] = static_cast<std::uint8_t>(half[0] & 0x0F);
    }
}

// The cipher function f(R, K): 32 bits of R and a 48-bit subkey give 32 bits.
void CipherFunction(const std::uint8_t r[4], const std::uint8_t subkey[6], std::uint8_t result[4]) {
    std::uint8_t x[6];
    Permute(DesE, r, x);
    for (int i = 0; i < 6; ++i) x[i] = static_cast<std::uint8_t>(x[i] ^ subkey[i]);

    // Eight 6-bit groups from the most significant end, four per 3 bytes.
    std::uint8_t groups[8];
    for (int half = 0; half < 2; ++half) {
        const std::uint8_t* b = x + 3 * half;
        std::uint8_t* g = groups + 4 * half;
        g[0] = static_cast<std::uint8_t>(b[0] >> 2);
        g[1] = static_cast<std::uint8_t>(((b[0] & 0x03) << 4) | (b[1] >> 4));
        g[2] = static_cast<std::uint8_t>(((b[1] & 0x0F) << 2) | (b[2] >> 6));
        g[3] = static_cast<std::uint8_t>(b[2] & 0x3F);
    }
    for (int i = 0; i < 8; ++i) groups[i] = SBox(i, groups[i]);
    for (int j = 0; j < 4; ++j) {
        result[j] = static_cast<std::uint8_t>((groups[2 * j] << 4) | groups[2 * j + 1]);
    }
    Permute(DesP, result, result);
}

// Key text to the 8 key bytes: its first 8 bytes, NUL bytes after a shorter one.
void KeyBytes(std::string& key, DesKey out) {
    while (key.size() < 8) key.push_back('\0');
    std::memcpy(out, key.data(), 8);
}

}  // namespace

void DesKeySchedule(const DesKey key, DesSubkeyTable subkeys) {
    std::uint8_t k[7];
    Permute(DesPC1, key, k);

    // C = bits 0 to 27 of K, D = bits 28 to 55, each right-aligned in 4 bytes.
    std::uint8_t c[4];
    std::uint8_t d[4];
    c[0] = static_cast<std::uint8_t>(k[0] >> 4);
    for (int j = 1; j < 4; ++j) c[j] = static_cast<std::uint8_t>((k[j - 1] << 4) | (k[j] >> 4));
    d[0] = static_cast<std::uint8_t>(k[3] & 0x0F);
    d[1] = k[4];
    d[2] = k[5];
    d[3] = k[6];

    for (int i = 0; i < 16; ++i) {
        RotateHalf(c, DesShifts[i]);
        RotateHalf(d, DesShifts[i]);
        std::uint8_t joined[7];
        for (int j = 0; j < 3; ++j) {
            joined[j] = static_cast<std::uint8_t>((c[j] << 4) | (c[j + 1] >> 4));
        }
        joined[3] = static_cast<std::uint8_t>((c[3] << 4) | d[0]);
        joined[4] = d[1];
        joined[5] = d[2];
        joined[6] = d[3];
        Permute(DesPC2, joined, subkeys[i]);
    }
}

void DesProcessBlock(std::uint8_t direction, const DesBlock input, DesBlock output) {
    // memmove: input and output may be the same block.
    std::memmove(output, input, 8);
    Permute(DesIP, output, output);

    for (int n = 0; n < 16; ++n) {
        const int k = direction == 0 ? n : 15 - n;
        std::uint8_t savedL[4];
        std::memcpy(savedL, output, 4);
        std::memcpy(output, output + 4, 4);
        std::uint8_t f[4];
        CipherFunction(output, DesSubkeys[k], f);
        for (int j = 0; j < 4; ++j) output[4 + j] = static_cast<std::uint8_t>(savedL[j] ^ f[j]);
    }

    std::uint8_t swapped[8];
    std::memcpy(swapped, output + 4, 4);
    std::memcpy(swapped + 4, output, 4);
    Permute(DesIPInverse, swapped, output);
}

std::string DesEncryptText(std::string text, std::string key) {
    // Padding is NUL bytes and decryption strips every trailing NUL, so a text
    // ending in NUL could not come back whole.
    if (!text.empty() && text.back() == '\0') throw Exception("Error: the last char is NULL char.");
    DesKey keyBytes;
    KeyBytes(key, keyBytes);
    while (text.size() % 8 != 0) text.push_back('\0');
    DesKeySchedule(keyBytes, DesSubkeys);

    std::string result;
    result.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); at += 8) {
        DesBlock block;
        std::memcpy(block, text.data() + at, 8);
        DesProcessBlock(0, block, block);
        result.append(reinterpret_cast<const char*>(block), 8);
    }
    return result;
}

std::string DesDecryptText(std::string data, std::string key) {
    DesKey keyBytes;
    KeyBytes(key, keyBytes);
    DesKeySchedule(keyBytes, DesSubkeys);

    // Whole blocks only: 1 to 7 bytes after the last one are ignored.
    std::string result;
    result.reserve(data.size());
    for (std::size_t block = 0; block < data.size() / 8; ++block) {
        DesBlock bytes;
        std::memcpy(bytes, data.data() + 8 * block, 8);
        DesProcessBlock(1, bytes, bytes);
        result.append(reinterpret_cast<const char*>(bytes), 8);
    }
    while (!result.empty() && result.back() == '\0') result.pop_back();
    return result;
}

std::string DesEncryptHex(std::string text, std::string key) {
    static const char digits[] = "0123456789ABCDEF";
    const std::string data = DesEncryptText(std::move(text), std::move(key));
    std::string hex;
    hex.reserve(2 * data.size());
    for (const char c : data) {
        const auto byte = static_cast<unsigned char>(c);
        hex.push_back(digits[byte >> 4]);
        hex.push_back(digits[byte & 0x0F]);
    }
    return hex;
}

std::string DesDecryptHex(std::string hex, std::string key) {
    // Every pair is converted before anything is decrypted, so a bad digit
    // leaves DesSubkeys as it was.
    std::string data;
    data.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size() / 2; ++i) {
        data.push_back(static_cast<char>(HexByteValue(hex.substr(2 * i, 2))));
    }
    return DesDecryptText(std::move(data), std::move(key));
}

int HexByteValue(const std::string& digits) {
    // Unsigned arithmetic: a long string wraps modulo 2^32 instead of
    // overflowing a signed int.
    std::uint32_t value = 0;
    for (const char c : digits) {
        std::uint32_t digit;
        if (c >= '0' && c <= '9') {
            digit = static_cast<std::uint32_t>(c - '0');
        } else if (c >= 'A' && c <= 'F') {
            digit = static_cast<std::uint32_t>(c - 'A' + 10);
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        } else {
            throw Exception("Error: not a Hex String");
        }
        value = value * 16 + digit;
    }
    return static_cast<int>(value);
}
