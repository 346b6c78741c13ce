// The DES text layer against OpenSSL's DES-ECB (libcrypto, no padding) on
// random texts and keys: the encrypted form must be libcrypto's encryption of
// the NUL-padded text under the key cut or NUL-padded to 8 bytes, and the
// decryption libcrypto's decryption of the whole blocks, trailing NULs gone.
// DES lives in OpenSSL 3's "legacy" provider; without it the tests fail.
#include "cipher/DES.h"

#include <gtest/gtest.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <random>
#include <string>

#include "core/HexText.h"

namespace {

class DesOpenSsl : public ::testing::Test {
protected:
    void SetUp() override {
        legacy_ = OSSL_PROVIDER_load(nullptr, "legacy");
        ASSERT_NE(nullptr, legacy_) << "OpenSSL's legacy provider (DES) did not load: " << LastError();
        default_ = OSSL_PROVIDER_load(nullptr, "default");
        ASSERT_NE(nullptr, default_) << "OpenSSL's default provider did not load: " << LastError();
        cipher_ = EVP_CIPHER_fetch(nullptr, "DES-ECB", nullptr);
        ASSERT_NE(nullptr, cipher_) << "no DES-ECB in libcrypto: " << LastError();
    }

    void TearDown() override {
        EVP_CIPHER_free(cipher_);
        if (default_) OSSL_PROVIDER_unload(default_);
        if (legacy_) OSSL_PROVIDER_unload(legacy_);
    }

    // DES-ECB of whole blocks under an 8-byte key, by libcrypto.
    std::string Ecb(bool encrypt, const std::string& key, const std::string& data) {
        EXPECT_EQ(8u, key.size());
        EXPECT_EQ(0u, data.size() % 8);
        EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
        std::string out(data.size() + 8, '\0');
        int n = 0;
        int tail = 0;
        const bool ok =
            ctx && EVP_CipherInit_ex2(ctx, cipher_, U8(key), nullptr, encrypt ? 1 : 0, nullptr) == 1 &&
            EVP_CIPHER_CTX_set_padding(ctx, 0) == 1 &&
            EVP_CipherUpdate(ctx, U8(out), &n, U8(data), static_cast<int>(data.size())) == 1 &&
            EVP_CipherFinal_ex(ctx, U8(out) + n, &tail) == 1;
        EVP_CIPHER_CTX_free(ctx);
        EXPECT_TRUE(ok) << LastError();
        out.resize(ok ? static_cast<std::size_t>(n + tail) : 0);
        return out;
    }

    std::mt19937 random_{20240611};

    std::string RandomBytes(std::size_t size) {
        std::uniform_int_distribution<int> byte(0, 255);
        std::string bytes;
        for (std::size_t i = 0; i < size; ++i) bytes.push_back(static_cast<char>(byte(random_)));
        return bytes;
    }

    std::size_t RandomSize(std::size_t max) {
        return std::uniform_int_distribution<std::size_t>(0, max)(random_);
    }

private:
    static const unsigned char* U8(const std::string& s) {
        return reinterpret_cast<const unsigned char*>(s.data());
    }
    static unsigned char* U8(std::string& s) { return reinterpret_cast<unsigned char*>(s.data()); }

    static std::string LastError() {
        char text[256] = "";
        ERR_error_string_n(ERR_get_error(), text, sizeof text);
        return text;
    }

    OSSL_PROVIDER* legacy_ = nullptr;
    OSSL_PROVIDER* default_ = nullptr;
    EVP_CIPHER* cipher_ = nullptr;
};

// The key text as the cipher uses it: first 8 bytes, NUL-filled.
std::string Key8(std::string key) {
    key.resize(8, '\0');
    return key;
}

TEST_F(DesOpenSsl, EncryptRandomTexts) {
    for (int i = 0; i < 500; ++i) {
        std::string text = RandomBytes(RandomSize(40));
        if (!text.empty() && text.back() == '\0') text.back() = '\x80';  // refused otherwise
        const std::string key = RandomBytes(RandomSize(12));
        SCOPED_TRACE("case " + std::to_string(i) + " text " + Hex(text) + " key " + Hex(key));

        std::string padded = text;
        padded.resize((text.size() + 7) / 8 * 8, '\0');
        const std::string expected = Ecb(true, Key8(key), padded);
        EXPECT_EQ(Hex(expected), Hex(DesEncryptText(text, key)));
        EXPECT_EQ(Hex(expected), DesEncryptHex(text, key));
    }
}

TEST_F(DesOpenSsl, DecryptRandomData) {
    for (int i = 0; i < 500; ++i) {
        // Whole blocks, sometimes a few stray bytes after them (ignored), and
        // now and then NUL bytes at the end of the plain text.
        const std::size_t blocks = RandomSize(5);
        const std::string key = RandomBytes(RandomSize(12));
        std::string data = RandomBytes(8 * blocks);
        if (i % 4 == 0 && blocks > 0) {
            std::string plain = RandomBytes(8 * blocks);
            plain.resize(plain.size() - RandomSize(8), '\0');
            plain.resize(8 * blocks, '\0');
            data = Ecb(true, Key8(key), plain);
        }
        const std::string stray = RandomBytes(i % 3 == 0 ? RandomSize(7) : 0);
        SCOPED_TRACE("case " + std::to_string(i) + " data " + Hex(data + stray) + " key " + Hex(key));

        std::string expected = Ecb(false, Key8(key), data);
        while (!expected.empty() && expected.back() == '\0') expected.pop_back();
        EXPECT_EQ(Hex(expected), Hex(DesDecryptText(data + stray, key)));
        EXPECT_EQ(Hex(expected), Hex(DesDecryptHex(Hex(data + stray), key)));
    }
}

}  // namespace
