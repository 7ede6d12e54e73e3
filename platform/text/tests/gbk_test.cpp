#include "platform/text/gbk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>

namespace text {
namespace {

using namespace std::string_view_literals;

// Bytes from `printf '<text>' | iconv -f UTF-8 -t GB18030 | xxd -p`.
struct Vector {
    std::string_view utf8;
    std::string_view gbk;
};

const Vector kVectors[] = {
    {"", ""},
    {"admin", "admin"},
    {"中文", "\xd6\xd0\xce\xc4"},
    {"今天天气", "\xbd\xf1\xcc\xec\xcc\xec\xc6\xf8"},
    {"春节2024",
     "\xb4\xba\xbd\xda"
     "2024"},
    {"郵誡", "\xe0\x5d\xd5\x5d"},          // second bytes are "]"
    {"　", "\xa1\xa1"},                    // ideographic space
    {"\xee\x81\x90", "\xaa\xf1"},          // U+E050, GBK user-defined area
    {"€", "\xa2\xe3"},                     // not in GBK proper
    {"𠀀", "\x95\x32\x82\x36"},            // outside the BMP: four bytes
    {"\xef\xbf\xbf", "\x84\x31\xa4\x39"},  // U+FFFF
    {"a\0b"sv, "a\0b"sv},
};

TEST(Gbk, ConvertsBothWaysLikeIconv)
{
    for (const Vector& v : kVectors) {
        SCOPED_TRACE(testing::PrintToString(std::string(v.utf8)));
        EXPECT_EQ(to_gbk(v.utf8), v.gbk);
        EXPECT_EQ(from_gbk(v.gbk), v.utf8);
        EXPECT_EQ(gbk_length(v.utf8), v.gbk.size());
    }
}

bool has_no_code(char32_t c)
{
    return (c >= 0xE78D && c <= 0xE796) || (c >= 0xE816 && c <= 0xE818) || c == 0xE81E || c == 0xE826 ||
           c == 0xE82B || c == 0xE82C || c == 0xE831 || c == 0xE832 || c == 0xE83B || c == 0xE843 ||
           c == 0xE854 || c == 0xE855 || c == 0xE864;
}

TEST(Gbk, EveryCharacterSurvivesTheRoundTrip)
{
    std::string all;
    for (char32_t c = 1; c < 0x110000; ++c) {
        if ((c >= 0xD800 && c < 0xE000) || has_no_code(c)) continue;
        if (c < 0x80) {
            all += static_cast<char>(c);
        } else if (c < 0x800) {
            all += static_cast<char>(0xC0 | c >> 6);
            all += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            all += static_cast<char>(0xE0 | c >> 12);
            all += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            all += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            all += static_cast<char>(0xF0 | c >> 18);
            all += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            all += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            all += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    const std::string back = from_gbk(to_gbk(all));
    const auto [at, unused] = std::mismatch(all.begin(), all.end(), back.begin(), back.end());
    EXPECT_EQ(back.size(), all.size());
    EXPECT_EQ(at, all.end()) << "first difference at byte " << (at - all.begin());
}

TEST(Gbk, InvalidBytesBecomeReplacementCharacters)
{
    const std::string fffd = "\xef\xbf\xbd";
    const struct {
        std::string_view bytes;
        std::string utf8;
    } cases[] = {
        {"\x80"sv, fffd},
        {"\xff"sv, fffd},
        {"a\x81"sv, "a" + fffd},  // lead byte cut off by the end
        {"\x81\x7f"
         "b"sv,
         fffd + "\x7f"
                "b"},                                     // bad second byte is kept
        {"\x81\x30"sv, fffd + "0"},                       // four-byte form cut short
        {"\x81\x30\x81"sv, fffd + "0" + fffd},            // ... and its third byte alone
        {"\xfe\x39\xfe\x39"sv, fffd + "9" + fffd + "9"},  // beyond the last code
        {"\xd6\xd0\x80\xce\xc4"sv, "中" + fffd + "文"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.bytes)));
        EXPECT_EQ(from_gbk(c.bytes), c.utf8);
    }
}

TEST(Gbk, InvalidUtf8BecomesTheReplacementCode)
{
    const std::string fffd = "\x84\x31\xa4\x37";
    EXPECT_EQ(to_gbk("a\xff"
                     "b"),
              "a" + fffd + "b");
    EXPECT_EQ(to_gbk("\xe4\xb8"), fffd + fffd);             // truncated 3-byte form
    EXPECT_EQ(to_gbk("\xed\xa0\x80"), fffd + fffd + fffd);  // a surrogate is no character
    // A well-formed character without a code is one character, not three bad bytes.
    EXPECT_EQ(to_gbk("a\xee\x9e\x8d"
                     "b"),
              "a" + fffd + "b");  // U+E78D
}

TEST(Gbk, DefaultPasswordBytesDecodeAndComeBack)
{
    // What the configuration's default ciphertext deciphers to.
    const std::string_view bytes = "\xaa\xf1\x06\x11\xf1\x77";
    const std::string text = from_gbk(bytes);
    EXPECT_EQ(text, "\xee\x81\x90\x06\x11\xe9\xa7\x91");  // U+E050 06 11 U+99D1
    EXPECT_EQ(to_gbk(text), bytes);
}

TEST(Gbk, BytesToTextStopsAtTheFirstZero)
{
    EXPECT_EQ(bytes_to_text("abc"sv), "abc");
    EXPECT_EQ(bytes_to_text("ab\0cd\0"sv), "ab");
    EXPECT_EQ(bytes_to_text("\0abc"sv), "");
    EXPECT_EQ(bytes_to_text(""sv), "");
}

TEST(Gbk, LengthCountsChineseAsTwo)
{
    EXPECT_EQ(gbk_length("图书馆abc"), 9u);
    EXPECT_EQ(gbk_length("𠀀"), 4u);
    EXPECT_EQ(gbk_length(""), 0u);
}

}  // namespace
}  // namespace text
