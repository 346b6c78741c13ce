// DES (FIPS PUB 46) on 8-byte blocks, and the text layer that turns a
// password into the upper-case hexadecimal text of a folder's password
// record and back.
//
// Texts are byte strings (a double-byte character counts as two bytes). The
// block routine reads its subkeys from the module-level table DesSubkeys,
// which every text operation rewrites: the module serves one operation at a
// time and is not safe for concurrent use.
//
// Bad input raises Exception with a fixed English message; nothing else fails.
#pragma once

#include <cstdint>
#include <string>

using DesKey = std::uint8_t[8];
using DesBlock = std::uint8_t[8];
using DesSubkeyTable = std::uint8_t[16][6];

// The 16 subkeys of the last key schedule run into it (all zero at start).
extern DesSubkeyTable DesSubkeys;

// Fills all 16 entries of subkeys from an 8-byte key. The lowest bit of each
// key byte (the parity bit) is never read.
void DesKeySchedule(const DesKey key, DesSubkeyTable subkeys);

// direction 0 encrypts, 1 (any other value) decrypts, with the subkeys in
// DesSubkeys. input and output may be the same block.
void DesProcessBlock(std::uint8_t direction, const DesBlock input, DesBlock output);

// Pads text with NUL bytes to whole blocks and encrypts each block (ECB).
// Refuses a text whose last byte is NUL. Only the first 8 bytes of key are
// used; a shorter key is filled with NUL bytes.
std::string DesEncryptText(std::string text, std::string key);

// Decrypts every whole block of data and strips all trailing NUL bytes.
std::string DesDecryptText(std::string data, std::string key);

// DesEncryptText written as two upper-case hex digits per byte.
std::string DesEncryptHex(std::string text, std::string key);

// Converts pairs of hex digits (either case) back to bytes, ignoring a last
// odd character, then DesDecryptText. Raises on a non-hex character in a pair.
std::string DesDecryptHex(std::string hex, std::string key);

// Value of a string of hexadecimal digits (either case); 0 for the empty
// string. Raises on any other character. More than 8 digits wrap modulo 2^32.
int HexByteValue(const std::string& digits);
