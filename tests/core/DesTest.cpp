// The DES module: the block cipher against the published known-answer vectors
// (NIST SP 800-17 tables, Rivest's iterated test), the key-schedule
// properties the password record relies on, and the text and hex layer.
#include "cipher/DES.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "DesVectorFiles.h"  // generated from des-vectors/*.tsv at configure time
#include "core/HexText.h"
#include "platform/Exception.h"

using namespace std::string_literals;

namespace {

using Subkeys = std::array<std::array<std::uint8_t, 6>, 16>;

Subkeys Copy(const DesSubkeyTable table) {
    Subkeys copy;
    for (int i = 0; i < 16; ++i) std::memcpy(copy[i].data(), table[i], 6);
    return copy;
}

// The subkeys of an 8-byte key, scheduled into a table of their own.
Subkeys Schedule(const std::string& key) {
    EXPECT_EQ(8u, key.size());
    DesKey bytes;
    std::memcpy(bytes, key.data(), 8);
    DesSubkeyTable table = {};
    DesKeySchedule(bytes, table);
    return Copy(table);
}

// One block under an 8-byte key, through DesSubkeys as the text layer does it.
std::string Block(int direction, const std::string& key, const std::string& block) {
    EXPECT_EQ(8u, key.size());
    EXPECT_EQ(8u, block.size());
    DesKey keyBytes;
    std::memcpy(keyBytes, key.data(), 8);
    DesKeySchedule(keyBytes, DesSubkeys);
    DesBlock in;
    DesBlock out;
    std::memcpy(in, block.data(), 8);
    DesProcessBlock(static_cast<std::uint8_t>(direction), in, out);
    return std::string(reinterpret_cast<const char*>(out), 8);
}

// The message of the Exception that f raises.
template <class F>
std::string ErrorText(F f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.what();
    }
    return "(nothing raised)";
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The rows of one embedded TSV file, its header line left out.
std::vector<std::vector<std::string>> TsvRows(std::string_view file) {
    const char* text = nullptr;
    for (const DesVectorFile& f : kDesVectorFiles) {
        if (file == f.name) text = f.text;
    }
    EXPECT_NE(nullptr, text) << file << " is not embedded";
    std::vector<std::vector<std::string>> rows;
    std::string_view rest = text ? text : "";
    bool header = true;
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        if (std::exchange(header, false)) continue;
        std::vector<std::string> fields;
        for (std::size_t tab; (tab = line.find('\t')) != std::string_view::npos;) {
            fields.emplace_back(line.substr(0, tab));
            line.remove_prefix(tab + 1);
        }
        fields.emplace_back(line);
        rows.push_back(std::move(fields));
    }
    return rows;
}

// ---- block cipher ---------------------------------------------------------

TEST(DesBlock, NistKnownAnswersBothWays) {
    // Tables B.1 to B.4 of SP 800-17 with their published sizes, so a file that
    // lost rows (or a parser that reads none) fails too.
    struct Table { const char* file; std::size_t rows; };
    const Table tables[] = {
        {"sp800-17_b1_variable_plaintext.tsv", 64},
        {"sp800-17_b2_variable_key.tsv", 56},
        {"sp800-17_b3_permutation.tsv", 32},
        {"sp800-17_b4_substitution.tsv", 19},
    };
    for (const Table& t : tables) {
        const auto rows = TsvRows(t.file);
        EXPECT_EQ(t.rows, rows.size()) << t.file;
        for (const auto& row : rows) {
            ASSERT_EQ(3u, row.size()) << t.file;
            const std::string& key = row[0];
            const std::string& plain = row[1];
            const std::string& cipher = row[2];
            SCOPED_TRACE(std::string(t.file) + " key " + key + " plain " + plain);
            EXPECT_EQ(cipher, Hex(Block(0, Bytes(key), Bytes(plain))));
            EXPECT_EQ(plain, Hex(Block(1, Bytes(key), Bytes(cipher))));
        }
    }
}

// Rivest, "Testing implementations of DES" (1985): X(i+1) is Xi encrypted
// (i even) or decrypted (i odd) under the key Xi; sixteen steps from X0 reach
// X16. Every step's published value is checked on the way.
TEST(DesBlock, RivestIteratedTest) {
    const auto rows = TsvRows("rivest.tsv");
    ASSERT_EQ(16u, rows.size());
    std::string x = "9474B8E8C73BCA7D";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto& row = rows[i];
        ASSERT_EQ(4u, row.size());
        SCOPED_TRACE("step " + row[0]);
        EXPECT_EQ(std::to_string(i), row[0]);
        EXPECT_EQ(i % 2 == 0 ? "E" : "D", row[1]);
        EXPECT_EQ(x, row[2]);
        x = Hex(Block(static_cast<int>(i % 2), Bytes(x), Bytes(x)));
        EXPECT_EQ(row[3], x);
    }
    EXPECT_EQ("1B1A2DDB4C642438", x);
}

TEST(DesBlock, ParityBitsAreNeverRead) {
    for (const char* hex : {"0123456789ABCDEF", "133457799BBCDFF1", "544F5256414E0000", "FFFFFFFFFFFFFFFF"}) {
        SCOPED_TRACE(hex);
        const std::string key = Bytes(hex);
        std::string flipped = key;
        for (char& c : flipped) c = static_cast<char>(c ^ 0x01);
        EXPECT_EQ(Schedule(key), Schedule(flipped));
    }
}

TEST(DesBlock, WeakKeys) {
    // Zero subkeys (all-zero key, and the same without parity bits): both
    // directions are the same function.
    for (const char* hex : {"0000000000000000", "0101010101010101"}) {
        SCOPED_TRACE(hex);
        const std::string key = Bytes(hex);
        EXPECT_EQ(Subkeys{}, Schedule(key));
        for (const char* block : {"0000000000000000", "0123456789ABCDEF", "FFFFFFFFFFFFFFFF"}) {
            EXPECT_EQ(Hex(Block(0, key, Bytes(block))), Hex(Block(1, key, Bytes(block))));
        }
    }
    // The four weak keys of DES: encrypting twice gives the block back.
    for (const char* hex : {"0101010101010101", "FEFEFEFEFEFEFEFE", "E0E0E0E0F1F1F1F1", "1F1F1F1F0E0E0E0E"}) {
        SCOPED_TRACE(hex);
        const std::string key = Bytes(hex);
        const std::string block = Bytes("0123456789ABCDEF");
        EXPECT_EQ(Hex(block), Hex(Block(0, key, Block(0, key, block))));
    }
}

TEST(DesBlock, InPlaceGivesTheSameResult) {
    DesKey key = {0x13, 0x34, 0x57, 0x79, 0x9B, 0xBC, 0xDF, 0xF1};
    DesKeySchedule(key, DesSubkeys);
    for (const std::uint8_t direction : {0, 1}) {
        const DesBlock input = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
        DesBlock separate;
        DesProcessBlock(direction, input, separate);
        DesBlock block = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
        DesProcessBlock(direction, block, block);
        EXPECT_EQ(0, std::memcmp(separate, block, 8)) << int{direction};
    }
}

TEST(DesBlock, KeyScheduleFillsEveryEntry) {
    const std::string key = Bytes("0E329232EA6D0D73");
    DesKey bytes;
    std::memcpy(bytes, key.data(), 8);
    // Into a table holding garbage ...
    DesSubkeyTable table;
    std::memset(table, 0xA5, sizeof table);
    DesKeySchedule(bytes, table);
    EXPECT_EQ(Schedule(key), Copy(table));
    // ... and into DesSubkeys after another key: nothing of the first survives.
    Block(0, Bytes("FEDCBA9876543210"), Bytes("0000000000000000"));
    DesKeySchedule(bytes, DesSubkeys);
    EXPECT_EQ(Schedule(key), Copy(DesSubkeys));
}

// ---- text and hex layer ---------------------------------------------------

struct TextCase {
    const char* what;
    std::string text;
    std::string key;
    std::string hex;  // checked against OpenSSL's DES-ECB on the padded text
};

const TextCase kTextCases[] = {
    {"record key example", "abc", "TORVAN", "84FAABF62CFF447E"},
    {"empty text", "", "TORVAN", ""},
    {"exactly one block, no padding", "12345678", "TORVAN", "DFD42D9E9CDDC99E"},
    {"nine bytes, two blocks", "123456789", "TORVAN", "DFD42D9E9CDDC99E81802BCB934928B3"},
    {"equal blocks, equal groups (ECB)", "ABCDEFGHABCDEFGH", "TORVAN",
     "6E4793049099903B6E4793049099903B"},
    {"NUL inside the text", "a\0b"s, "TORVAN", "6621BE80175C7AF0"},
    {"short key = key padded with NUL", "abc", "TORVAN\0\0"s, "84FAABF62CFF447E"},
    {"parity bits of the key ignored", "abc", "UNSW@O", "84FAABF62CFF447E"},
    {"8-byte key", "abc", "TORVANxy", "90C6617555FB4594"},
    {"only the first 8 key bytes count", "abc", "TORVANxyz", "90C6617555FB4594"},
    {"empty key = 8 NUL bytes", "abc", "", "7E85D5EF386832C3"},
    {"8 NUL bytes as key", "abc", std::string(8, '\0'), "7E85D5EF386832C3"},
    {"GBK password", "\xC3\xDC\xC2\xEB", "TORVAN", "A3A4D7E825762693"},
    {"GBK character split between blocks", "abcdefg\xD6\xD0\xCE\xC4", "TORVAN",
     "DA0F57D9028330D8D7A8EF486CB57B5C"},
    {"high bytes in text and key", "\xFF\x80\x01", "\xC3\xDC\xC2\xEB\xB0\xB2\xC8\xAB",
     "94E0E75320C4AA81"},
};

TEST(DesText, KnownFormsBothWays) {
    for (const TextCase& c : kTextCases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.hex, DesEncryptHex(c.text, c.key));
        EXPECT_EQ(Bytes(c.hex), DesEncryptText(c.text, c.key));
        EXPECT_EQ(c.text, DesDecryptHex(c.hex, c.key));
        EXPECT_EQ(c.text, DesDecryptHex(Lower(c.hex), c.key));
        EXPECT_EQ(c.text, DesDecryptText(Bytes(c.hex), c.key));
    }
}

// The record key's published example, as the password record stores it.
TEST(DesText, RecordKeyExample) {
    EXPECT_EQ("84FAABF62CFF447E", DesEncryptHex("abc", "TORVAN"));
    EXPECT_EQ("abc", DesDecryptHex("84FAABF62CFF447E", "TORVAN"));
}

TEST(DesText, EveryLengthRoundTrips) {
    for (const std::string& key : {"TORVAN"s, ""s, "\xB0\xB2\xC8\xAB"s}) {
        for (std::size_t n = 0; n <= 40; ++n) {
            SCOPED_TRACE(n);
            // Bytes of every range, NUL ones inside but never last.
            std::string text;
            for (std::size_t i = 0; i < n; ++i) {
                text.push_back(static_cast<char>(i % 5 == 3 ? 0 : i * 97 + 1));
            }
            if (n > 0 && text.back() == '\0') text.back() = 'z';
            const std::string hex = DesEncryptHex(text, key);
            EXPECT_EQ(16 * ((n + 7) / 8), hex.size());
            EXPECT_EQ(std::string::npos, hex.find_first_not_of("0123456789ABCDEF"));
            EXPECT_EQ(hex, DesEncryptHex(text, key));
            EXPECT_EQ(text, DesDecryptHex(hex, key));
        }
    }
}

TEST(DesText, HexDecoding) {
    struct Case { const char* what; const char* hex; const char* text; };
    const Case cases[] = {
        {"empty", "", ""},
        {"fewer than 16 digits", "84FAABF62CFF447", ""},
        {"mixed case", "84faABf62cFF447e", "abc"},
        {"odd last character ignored, even a non-digit", "84FAABF62CFF447EZ", "abc"},
        {"pairs after the last whole block dropped", "84FAABF62CFF447E12", "abc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.text, DesDecryptHex(c.hex, "TORVAN"));
    }
}

TEST(DesText, DecryptionDropsTrailingNulsAndPartialBlocks) {
    const std::string key = "TORVAN\0\0"s;
    const std::string text = Block(0, key, "abcdefgh");
    const std::string nulBlock = Block(0, key, std::string(8, '\0'));
    EXPECT_EQ("abcdefgh", DesDecryptText(text + nulBlock, key));
    EXPECT_EQ("abcdefgh", DesDecryptText(text + "xyz", key));
    EXPECT_EQ("", DesDecryptText(nulBlock, key));
}

TEST(DesText, WrongKeyGivesOtherTextWithoutError) {
    // 'M' and 'N' differ in more than the parity bit.
    EXPECT_NE("abc", DesDecryptHex("84FAABF62CFF447E", "TORVAM"));
}

TEST(DesText, EveryOperationSchedulesItsOwnKey) {
    DesEncryptText("", "KEY");
    EXPECT_EQ(Schedule("KEY\0\0\0\0\0"s), Copy(DesSubkeys));
    DesDecryptHex("", "OTHERKEY+");
    EXPECT_EQ(Schedule("OTHERKEY"), Copy(DesSubkeys));
}

TEST(DesText, RefusedInputLeavesSubkeysAlone) {
    const std::string nul = "Error: the last char is NULL char.";
    const std::string notHex = "Error: not a Hex String";
    struct Case { std::string what; std::string (*call)(); std::string message; };
    const Case cases[] = {
        {"lone NUL", [] { return DesEncryptHex("\0"s, "TORVAN"); }, nul},
        {"NUL at the end", [] { return DesEncryptHex("abc\0"s, "TORVAN"); }, nul},
        {"NUL ending a second block", [] { return DesEncryptText("abcdefgh\0"s, "TORVAN"); }, nul},
        {"letter outside A-F", [] { return DesDecryptHex("84FAABF62CFF447G", "TORVAN"); }, notHex},
        {"space", [] { return DesDecryptHex("84FA ABF62CFF447E", "TORVAN"); }, notHex},
        {"sign", [] { return DesDecryptHex("-1", "TORVAN"); }, notHex},
        {"bad pair after the last block", [] { return DesDecryptHex("84FAABF62CFF447Ez1", "TORVAN"); },
         notHex},
        {"GBK byte", [] { return DesDecryptHex("84\xC3\xDC", "TORVAN"); }, notHex},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DesEncryptText("x", "BEFORE");
        const Subkeys before = Copy(DesSubkeys);
        EXPECT_EQ(c.message, ErrorText(c.call));
        EXPECT_EQ(before, Copy(DesSubkeys));
    }
}

TEST(DesText, HexByteValue) {
    struct Case { const char* digits; int value; };
    const Case cases[] = {
        {"", 0}, {"0", 0}, {"9", 9}, {"a", 10}, {"F", 15}, {"7f", 127}, {"Ff", 255}, {"1234", 0x1234},
        {"FFFFFFFFF", -1},  // wraps modulo 2^32 instead of overflowing
    };
    for (const Case& c : cases) EXPECT_EQ(c.value, HexByteValue(c.digits)) << c.digits;
    for (const char* bad : {"g", "G", " 1", "1 ", "0x1", "\xB0"}) {
        EXPECT_EQ("Error: not a Hex String", ErrorText([&] { HexByteValue(bad); })) << Hex(bad);
    }
}

}  // namespace
