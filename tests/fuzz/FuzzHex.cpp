// Fuzz target for the hex text of a password record. DesDecryptHex reads the
// value of a dat.ini that anyone may have edited, so any text must either
// decode or raise the one error for bad digits; and whatever DesEncryptHex
// wrote must decode to the password it was given.
//
// Input: one byte n, then the key (the next n % 17 bytes), then a text that
// is decoded as hex and, as a password, encoded and decoded again.
#include "FuzzCheck.h"
#include "cipher/DES.h"
#include "platform/Exception.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <system_error>

namespace {

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

bool IsUpperHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

// ASCII letters only: every other byte, GBK ones included, stays as it is.
std::string Upper(std::string s) {
    for (char& c : s) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return s;
}

std::string Lower(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

// The key as the cipher uses it: its first 8 bytes, NUL bytes after a shorter one.
std::string EightByteKey(std::string key) {
    key.resize(8, '\0');
    return key;
}

// DesDecryptHex's result, or nullopt when it refused the text. A refusal must
// be the documented one and must come before any decryption, so the subkeys
// of the previous operation are still in place.
std::optional<std::string> Decrypt(const std::string& hex, const std::string& key) {
    DesSubkeyTable before;
    std::memcpy(before, DesSubkeys, sizeof before);
    try {
        return DesDecryptHex(hex, key);
    } catch (const Exception& e) {
        FUZZ_CHECK(std::string(e.what()) == "Error: not a Hex String");
        FUZZ_CHECK(std::memcmp(before, DesSubkeys, sizeof before) == 0);
        return std::nullopt;
    }
}

// Any text as a record value.
void CheckDecoding(const std::string& hex, const std::string& key) {
    // Pairs are converted; a last odd character is never looked at.
    const std::size_t pairsEnd = hex.size() - hex.size() % 2;
    const bool digitsOnly = std::all_of(hex.begin(), hex.begin() + static_cast<std::ptrdiff_t>(pairsEnd), IsHexDigit);

    const std::optional<std::string> plain = Decrypt(hex, key);
    FUZZ_CHECK(plain.has_value() == digitsOnly);

    // Letter case of the digits does not matter, only the key's first 8 bytes
    // do, and the odd last character is ignored whatever it is.
    FUZZ_CHECK(Decrypt(Upper(hex), key) == plain);
    FUZZ_CHECK(Decrypt(Lower(hex), key) == plain);
    FUZZ_CHECK(Decrypt(hex, EightByteKey(key)) == plain);
    if (hex.size() % 2 == 1) {
        FUZZ_CHECK(Decrypt(hex.substr(0, pairsEnd), key) == plain);
    } else {
        FUZZ_CHECK(Decrypt(hex + "Z", key) == plain);
    }
    if (!plain) return;

    // Whole blocks only, and no trailing NUL bytes.
    const std::size_t blockDigits = pairsEnd / 16 * 16;
    FUZZ_CHECK(plain->size() <= blockDigits / 2);
    FUZZ_CHECK(plain->empty() || plain->back() != '\0');

    // A decoded text whose padding fills the same blocks encodes to the same
    // digits again, in upper case: DES is a permutation of each block.
    if ((plain->size() + 7) / 8 * 16 == blockDigits) {
        FUZZ_CHECK(DesEncryptHex(*plain, key) == Upper(hex.substr(0, blockDigits)));
    }
}

// Any text as a password.
void CheckRoundTrip(const std::string& password, const std::string& key) {
    if (!password.empty() && password.back() == '\0') {
        bool refused = false;
        try {
            DesEncryptHex(password, key);
        } catch (const Exception& e) {
            FUZZ_CHECK(std::string(e.what()) == "Error: the last char is NULL char.");
            refused = true;
        }
        FUZZ_CHECK(refused);
        return;
    }
    const std::string hex = DesEncryptHex(password, key);
    FUZZ_CHECK(hex.size() == (password.size() + 7) / 8 * 16);
    FUZZ_CHECK(std::all_of(hex.begin(), hex.end(), IsUpperHexDigit));
    FUZZ_CHECK(DesDecryptHex(hex, key) == password);
    FUZZ_CHECK(DesDecryptHex(Lower(hex), key) == password);
}

// HexByteValue on its own: digits of either case or the error, values modulo 2^32.
void CheckHexByteValue(const std::string& digits) {
    const bool digitsOnly = std::all_of(digits.begin(), digits.end(), IsHexDigit);
    try {
        const int value = HexByteValue(digits);
        FUZZ_CHECK(digitsOnly);
        std::uint64_t expected = 0;  // at most 16 digits fit
        if (!digits.empty()) {
            const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), expected, 16);
            FUZZ_CHECK(error == std::errc() && end == digits.data() + digits.size());
        }
        FUZZ_CHECK(static_cast<std::uint32_t>(value) == static_cast<std::uint32_t>(expected));
    } catch (const Exception& e) {
        FUZZ_CHECK(!digitsOnly);
        FUZZ_CHECK(std::string(e.what()) == "Error: not a Hex String");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t keyLength = input.empty() ? 0 : std::min<std::size_t>(data[0] % 17, input.size() - 1);
    const std::string key = input.empty() ? std::string() : input.substr(1, keyLength);
    const std::string text = input.empty() ? std::string() : input.substr(1 + keyLength);

    CheckDecoding(text, key);
    CheckRoundTrip(text, key);
    CheckHexByteValue(text.substr(0, 16));
    return 0;
}
