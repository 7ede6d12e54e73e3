#include "core/cipher.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>

namespace assoc {
namespace {

using namespace std::string_view_literals;

// Made with OpenSSL, independently of this code:
//   K  = first 8 bytes of SHA-1("wkz")                       = 44c3f68ba8669358
//   IV = openssl enc -des-ecb -K $K -nopad over 8 zero bytes  = aa13f118e4b6c2f6
//   printf '<plain>' | openssl enc -des-cfb8 -provider legacy -provider default
//       -K $K -iv $IV -nopad | base64 -w0
// Chinese plains are GBK bytes (iconv -t GBK).
struct Vector {
    const char* what;
    std::string_view plain;
    std::string_view text;
};

const Vector kVectors[] = {
    {"one byte", "a"sv, "jQ=="},
    {"two bytes", "ab"sv, "jRE="},
    {"three bytes", "abc"sv, "jRGN"},
    {"four bytes", "abcd"sv, "jRGNog=="},
    {"ascii word", "password"sv, "nIU2blxGq0s="},
    {"ascii symbols", "P@ssw0rd!2024"sv, "vPr3w35mNkh6WbYBjA=="},
    {"chinese 中文密码", "\xd6\xd0\xce\xc4\xc3\xdc\xc2\xeb"sv, "Ov6IQE76XR4="},
    {"mixed 协会2024",
     "\xd0\xad\xbb\xe1"
     "2024"sv,
     "PCqn02rayqg="},
    {"chinese 数据库密码的", "\xca\xfd\xbe\xdd\xbf\xe2\xc3\xdc\xc2\xeb\xb5\xc4"sv, "JpHxhUb7rPdfNtou"},
    {"four spaces", "    "sv, "zFrd0g=="},
    {"one space", " "sv, "zA=="},
    {"forty bytes", "0123456789abcdefghijABCDEFGHIJklmnopqrst"sv,
     "3OiQIumfQMmzViMDfI2k7r9+eVvxqTs0wby8GEo0i0AoPyPAaaQcoQ=="},
    {"zero byte inside", "ab\0cd"sv, "jRHuFN4="},
    {"zero byte alone", "\0"sv, "7A=="},
    {"high bytes", "\xff\xfe\x80"sv, "E/XN"},
    {"the key text itself", "wkz"sv, "m/XO"},
    // The configuration's default ciphertext; openssl -d gives these six bytes.
    {"default ciphertext", "\xaa\xf1\x06\x11\xf1\x77"sv, "Rv7KqWzM"},
};

TEST(Cipher, MatchesIndependentVectorsBothWays)
{
    for (const Vector& v : kVectors) {
        SCOPED_TRACE(v.what);
        EXPECT_EQ(encodebin(v.plain, kKeyText, kDesAlgorithm), v.text);
        EXPECT_EQ(decodebin(v.text, kKeyText, kDesAlgorithm), v.plain);
    }
}

TEST(Cipher, RoundTripsAnyBytesWithTheExpectedLength)
{
    std::mt19937 random(20240305);
    for (std::size_t n = 1; n <= 300; ++n) {
        std::string plain(n, '\0');
        for (char& c : plain) c = static_cast<char>(random() & 0xFF);
        const std::string text = encodebin(plain, kKeyText, kDesAlgorithm);
        ASSERT_EQ(text.size(), 4 * ((n + 2) / 3)) << n;
        ASSERT_EQ(text.find_first_of("\r\n"), std::string::npos) << n;
        ASSERT_EQ(decodebin(text, kKeyText, kDesAlgorithm), plain) << n;
    }
}

TEST(Cipher, PaddingFollowsTheLastGroup)
{
    EXPECT_TRUE(encodebin("x", kKeyText, kDesAlgorithm).ends_with("=="));
    const std::string two = encodebin("xy", kKeyText, kDesAlgorithm);
    EXPECT_TRUE(two.ends_with("=") && !two.ends_with("=="));
    EXPECT_EQ(encodebin("xyz", kKeyText, kDesAlgorithm).find('='), std::string::npos);
}

TEST(Cipher, EqualPrefixesGiveEqualCiphertextPrefixes)
{
    // Each ciphertext byte depends only on the bytes up to its own place, so the
    // decoded ciphertexts (before deciphering) share the prefix.
    const std::string a = encodebin("secret-one", kKeyText, kDesAlgorithm);
    const std::string b = encodebin("secret-two", kKeyText, kDesAlgorithm);
    const std::string c = encodebin("secret", kKeyText, kDesAlgorithm);
    // 6 equal bytes are two whole Base64 groups.
    EXPECT_EQ(a.substr(0, 8), b.substr(0, 8));
    EXPECT_EQ(a.substr(0, 8), c.substr(0, 8));
    EXPECT_NE(a.substr(8), b.substr(8));
}

TEST(Cipher, OtherKeyTextsGiveOtherBytes)
{
    EXPECT_NE(encodebin("password", "wkZ", kDesAlgorithm), "nIU2blxGq0s=");
    EXPECT_NE(decodebin("nIU2blxGq0s=", "wk", kDesAlgorithm), "password");
    EXPECT_EQ(decodebin(encodebin("password", "其他", kDesAlgorithm), "其他", kDesAlgorithm), "password");
}

TEST(Cipher, DecodingRulesOfTheBase64Groups)
{
    // "jRGN" deciphers to "abc", "jRE=" to "ab", "jQ==" to "a"; the ciphertext
    // bytes of "abc" are 8d 11 8d.
    const struct {
        const char* what;
        std::string_view text;
        std::string_view plain;
    } cases[] = {
        {"empty text", "", ""},
        {"shorter than a group", "jRG", ""},
        {"one character", "j", ""},
        {"trailing 1 character ignored", "jRGNx", "abc"},
        {"trailing 3 characters ignored", "jRGNjRG", "abc"},
        {"trailing characters are not checked", "jRGN!*", "abc"},
        {"= in third place gives one byte whatever the fourth", "jR=N", "a"},
        {"= in third and fourth place", "jQ==", "a"},
        {"= in fourth place gives two bytes", "jRE=", "ab"},
        // After "jQ==" the register holds 8d, exactly as after "a" was enciphered
        // from "ab..", so the following group continues that stream.
        {"groups after a padded group are appended", "jQ==EY2i", "abcd"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(decodebin(c.text, kKeyText, kDesAlgorithm), c.plain);
    }
}

TEST(Cipher, MalformedTextIsRejectedWhole)
{
    for (std::string_view text :
         {"jRG!"sv, "jRGN*QQQ"sv, "=RGN"sv, "j=GN"sv, "jRGNjRGN==AA"sv, "jR GN"sv.substr(0, 4),
          "jRGN\nQQQQ"sv, "jRG\0"sv, "\xd6\xd0\xce\xc4"sv, "jRGN-_AA"sv}) {
        SCOPED_TRACE(testing::PrintToString(std::string(text)));
        EXPECT_EQ(decodebin(text, kKeyText, kDesAlgorithm), "");
    }
}

TEST(Cipher, OnlyAlgorithmFourWorks)
{
    for (int algorithm : {0, -1, 1, 3, 5, 20, 21, 1000}) {
        SCOPED_TRACE(algorithm);
        EXPECT_EQ(encodebin("password", kKeyText, algorithm), "");
        EXPECT_EQ(decodebin("nIU2blxGq0s=", kKeyText, algorithm), "");
    }
}

TEST(Cipher, EmptyInputsGiveEmptyResults)
{
    EXPECT_EQ(encodebin("", kKeyText, kDesAlgorithm), "");
    EXPECT_EQ(decodebin("", kKeyText, kDesAlgorithm), "");
}

}  // namespace
}  // namespace assoc
