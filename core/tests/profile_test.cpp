#include "core/profile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/text/gbk.h"
#include "tests/support/temp_dir.h"

namespace assoc {
namespace {

using namespace std::string_view_literals;

struct Lookup {
    const char* what;
    std::string file;  // UTF-8 here, stored as GBK
    const char* section;
    const char* key;
    const char* expected;  // with the default "DEF"
};

TEST(Profile, LooksUpValuesAsTheProfileFunctionsDo)
{
    const Lookup cases[] = {
        {"CR LF lines", "[配置信息]\r\n协会名称=学生会\r\n", "配置信息", "协会名称", "学生会"},
        {"LF lines", "[s]\nk=v\nx=y\n", "s", "x", "y"},
        {"CR lines", "[s]\rk=v\rx=y\r", "s", "x", "y"},
        {"no final line end", "[s]\nk=v", "s", "k", "v"},
        {"blanks trimmed", "  [s]  \n \t k \t=  a b \t\n", "s", "k", "a b"},
        {"double quotes removed", "[s]\nk = \"  a b  \"\n", "s", "k", "  a b  "},
        {"single quotes removed", "[s]\nk='x'\n", "s", "k", "x"},
        {"mismatched quotes stay", "[s]\nk=\"x'\n", "s", "k", "\"x'"},
        {"lone quote stays", "[s]\nk=\"\n", "s", "k", "\""},
        {"inner quotes stay", "[s]\nk=a\"b\"\n", "s", "k", "a\"b\""},
        {"empty value is not the default", "[s]\nk=\n", "s", "k", ""},
        {"blank value is empty", "[s]\nk=   \n", "s", "k", ""},
        {"empty quotes are empty", "[s]\nk=\"\"\n", "s", "k", ""},
        {"absent key gives the default", "[s]\nother=1\n", "s", "k", "DEF"},
        {"key without = gives the default", "[s]\nk\n", "s", "k", "DEF"},
        {"absent section gives the default", "[t]\nk=1\n", "s", "k", "DEF"},
        {"value keeps further =", "[s]\nk=a=b\n", "s", "k", "a=b"},
        {"comment line", "[s]\n;k=1\n", "s", "k", "DEF"},
        {"indented comment line", "[s]\n  ;k=1\n", "s", "k", "DEF"},
        {"a comment is no key", "[s]\n;k=1\n", "s", ";k", "DEF"},
        {"; inside a value is kept", "[s]\nk=1 ;2\n", "s", "k", "1 ;2"},
        {"first key wins", "[s]\nk=first\nk=second\n", "s", "k", "first"},
        {"first section wins", "[s]\na=1\n[s]\nk=2\n", "s", "k", "DEF"},
        {"keys ignore ASCII case", "[s]\nName=x\n", "s", "nAME", "x"},
        {"sections ignore ASCII case", "[Config]\nk=x\n", "CONFIG", "k", "x"},
        {"other letters keep their case", "[s]\nÉ=x\n", "s", "é", "DEF"},
        {"full-width letters differ", "[s]\nＫ=x\n", "s", "ｋ", "DEF"},
        {"lines before the first section", "k=0\n[s]\nj=1\n", "s", "k", "DEF"},
        {"text after ] ignored", "[s] ; note\nk=v\n", "s", "k", "v"},
        {"inner blanks are part of the name", "[ s ]\nk=v\n", "s", "k", "DEF"},
        {"header without ] is a key line", "[s]\n[k\nk=v\n", "s", "k", "v"},
        {"chinese values", "[配置信息]\n数据库密文=Ov6IQE76XR4=\n", "配置信息", "数据库密文", "Ov6IQE76XR4="},
    };
    for (const Lookup& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Profile::parse(text::to_gbk(c.file)).value(c.section, c.key, "DEF"), c.expected);
    }
}

TEST(Profile, ListsSectionNamesInFileOrder)
{
    const Profile profile = Profile::parse(text::to_gbk("[b]\n[配置信息 ]\nk=1\n[a]\n[b]\n; [c]\n[]\n"));
    EXPECT_EQ(profile.section_names(), (std::vector<std::string>{"b", "配置信息 ", "a", "b", ""}));
    EXPECT_TRUE(Profile::parse("").section_names().empty());
    EXPECT_TRUE(Profile::parse("k=1\n\n").section_names().empty());
}

TEST(Profile, SecondByteBracketDoesNotCutTheSectionName)
{
    // 郵 is e0 5d and 誡 is d5 5d in GBK: their second byte is "]".
    const std::string file = "[\xe0\x5d\xd5\x5d]\r\n\xe0\x5d=\xd5\x5d\r\n";
    const Profile profile = Profile::parse(file);
    EXPECT_EQ(profile.section_names(), std::vector<std::string>{"郵誡"});
    EXPECT_EQ(profile.value("郵誡", "郵", "DEF"), "誡");
}

TEST(Profile, ZeroByteEndsNameAndValue)
{
    const Profile profile = Profile::parse("[s\0x]\nk=ab\0cd\nj\0z=1\n"sv);
    EXPECT_EQ(profile.section_names(), std::vector<std::string>{"s"});
    EXPECT_EQ(profile.value("s", "k", "DEF"), "ab");
    EXPECT_EQ(profile.value("s", "j", "DEF"), "1");
}

TEST(Profile, InvalidBytesDoNotSpoilTheRest)
{
    const Profile profile = Profile::parse("[s]\nbad=\x80\xff\x81\nk=v\x81\nj=ok\n"sv);
    EXPECT_EQ(profile.value("s", "bad", "DEF"), "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd");
    EXPECT_EQ(profile.value("s", "k", "DEF"), "v\xef\xbf\xbd");
    EXPECT_EQ(profile.value("s", "j", "DEF"), "ok");
}

TEST(Profile, Utf8FileWithByteOrderMark)
{
    const Profile profile = Profile::parse("\xef\xbb\xbf[配置信息]\n协会名称=学生会\n");
    EXPECT_EQ(profile.section_names(), std::vector<std::string>{"配置信息"});
    EXPECT_EQ(profile.value("配置信息", "协会名称", "DEF"), "学生会");
}

TEST(Profile, ValuesAreCutAtTheBufferSizeOnACharacterBoundary)
{
    const std::size_t limit = Profile::kValueLimit;
    const std::string han = "中";   // two GBK bytes
    const std::string rare = "𠀀";  // four GB18030 bytes
    auto repeat = [](const std::string& unit, std::size_t n) {
        std::string s;
        for (std::size_t i = 0; i < n; ++i) s += unit;
        return s;
    };
    const struct {
        const char* what;
        std::string value;
        std::string expected;
    } cases[] = {
        {"fits exactly", std::string(limit, 'a'), std::string(limit, 'a')},
        {"one byte over", std::string(limit + 1, 'a'), std::string(limit, 'a')},
        {"far over", std::string(3 * limit, 'a'), std::string(limit, 'a')},
        {"chinese not split", repeat(han, 5120), repeat(han, 5119)},
        {"chinese ends on the limit", "a" + repeat(han, 5120), "a" + repeat(han, 5119)},
        {"four-byte character not split", "ab" + repeat(rare, 2560), "ab" + repeat(rare, 2559)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Profile profile = Profile::parse(text::to_gbk("[s]\nk=" + c.value + "\n"));
        const std::string value = profile.value("s", "k", "DEF");
        EXPECT_EQ(value.size(), c.expected.size());
        EXPECT_EQ(value, c.expected);
        EXPECT_LE(text::gbk_length(value), limit);
    }
    // A default is seen through the same buffer.
    EXPECT_EQ(Profile::parse("").value("s", "k", std::string(limit + 5, 'd')), std::string(limit, 'd'));
}

TEST(Profile, ReadsFilesAndTreatsTheUnreadableAsEmpty)
{
    test_support::TempDir dir;
    const std::string path = dir.write("a.ini", text::to_gbk("[配置信息]\n协会名称=学生会\n"));
    EXPECT_EQ(Profile::read_file(path).value("配置信息", "协会名称", "DEF"), "学生会");

    EXPECT_TRUE(Profile::read_file(dir.path() + "/missing.ini").section_names().empty());
    EXPECT_TRUE(Profile::read_file(dir.path()).section_names().empty());
}

}  // namespace
}  // namespace assoc
