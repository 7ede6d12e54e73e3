#include "assocman/whiteboard_file/whiteboard_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cctype>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;
using whiteboard_file::read_whiteboard_bytes;
using whiteboard_file::read_whiteboard_file;

QString u(const char* utf8) { return QString::fromUtf8(utf8); }

struct Case {
    const char* name;
    std::string bytes;
    std::vector<const char*> lines;  // UTF-8
    const char* text;                // UTF-8
};

// "\xA1\xA1" is the full-width space, "\xB0\xA1" is 啊, "\xA1\xA2" is 、.
const std::vector<Case> kCases = {
    {"empty file", "", {}, ""},
    {"only spaces", "  \xA1\xA1 \xA1\xA1", {}, ""},
    {"two lines with trailing break", "a\r\nb\r\n", {"a", "b"}, "a\r\nb\r\n"},
    {"blank line between", "a\r\n\r\nb", {"a", "", "b"}, "a\r\n\r\nb"},
    {"leading break", "\r\na", {"", "a"}, "\r\na"},
    {"spaces before leading break", " \xA1\xA1\r\na", {"", "a"}, "\r\na"},
    {"only a break", "\r\n", {""}, "\r\n"},
    {"two breaks", "\r\n\r\n", {"", ""}, "\r\n\r\n"},
    {"ends of the file trimmed, inner lines kept",
     " \xA1\xA1 a \r\n\xA1\xA1 b\xA1\xA1\r\nc \xA1\xA1  ",
     {"a ", "\xE3\x80\x80 b\xE3\x80\x80", "c"},
     "a \r\n\xE3\x80\x80 b\xE3\x80\x80\r\nc"},
    {"tabs are not spaces", "\ta\t", {"\ta\t"}, "\ta\t"},
    {"lone CR and LF do not split", "a\rb\nc", {"a\rb\nc"}, "a\rb\nc"},
    {"four lines", "1\r\n2\r\n3\r\n4", {"1", "2", "3", "4"}, "1\r\n2\r\n3\r\n4"},
    {"five lines", "1\r\n2\r\n3\r\n4\r\n5\r\n", {"1", "2", "3", "4", "5"}, "1\r\n2\r\n3\r\n4\r\n5\r\n"},
    {"GBK lines", "\xC4\xDA\xC8\xDD\r\n\xD2\xAA\xB5\xE3", {"内容", "要点"}, "内容\r\n要点"},
    {"lone lead byte at the end dropped", "ab\x81", {"ab"}, "ab"},
    {"lone lead byte dropped before trimming", "a \xA1\xA1\xB0", {"a"}, "a"},
    {"zero byte ends the text", "a\r\nb\0c\r\nd"s, {"a", "b"}, "a\r\nb"},
    {"zero byte first", "\0a"s, {}, ""},
    {"zero byte after a lead byte", "a\xB0\0\xA1"s, {"a"}, "a"},
    // 啊 ends in A1 and the lone A1 after it is dropped: the A1 A1 across
    // the character boundary is no full-width space.
    {"A1 A1 across characters at the end", "a\xB0\xA1\xA1", {"a\xE5\x95\x8A"}, "a\xE5\x95\x8A"},
    {"full-width space after a character ending in A1", "\xB0\xA1\xA1\xA1", {"\xE5\x95\x8A"}, "\xE5\x95\x8A"},
    {"A1 A1 inside the leading characters",
     "\xB0\xA1\xA1\xA2x",
     {"\xE5\x95\x8A\xE3\x80\x81x"},
     "\xE5\x95\x8A\xE3\x80\x81x"},
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class WhiteboardBytes : public ::testing::TestWithParam<Case> {};

TEST_P(WhiteboardBytes, TrimsAndSplits)
{
    const Case& c = GetParam();
    const whiteboard_file::Whiteboard board = read_whiteboard_bytes(c.bytes);
    QStringList expected;
    for (const char* line : c.lines) expected.append(u(line));
    EXPECT_EQ(board.lines, expected);
    EXPECT_EQ(board.text, u(c.text));
}

INSTANTIATE_TEST_SUITE_P(Cases, WhiteboardBytes, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             std::string name;
                             for (const char ch : std::string(info.param.name))
                                 name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                             return name;
                         });

// A CR whose byte is the second half of a two-byte character is no line
// break, even when an LF follows it.
TEST(WhiteboardWalk, BreakInsideTwoByteCharacterDoesNotSplit)
{
    EXPECT_EQ(read_whiteboard_bytes("a\x81\r\nb").lines.size(), 1);
    EXPECT_EQ(read_whiteboard_bytes("a\x81\r\r\nb").lines.size(), 2);
}

TEST(WhiteboardFile, ReadsFromDiskAndTreatsTroubleAsEmpty)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());

    EXPECT_TRUE(read_whiteboard_file(dir.filePath(QStringLiteral("missing.txt"))).lines.isEmpty());
    EXPECT_TRUE(read_whiteboard_file(dir.path()).lines.isEmpty());  // a folder is unreadable as a file
    EXPECT_TRUE(read_whiteboard_file(QStringLiteral("/dev/zero")).lines.isEmpty());  // nor is a device

    const QString empty = dir.filePath(QStringLiteral("empty.txt"));
    {
        QFile f(empty);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    const whiteboard_file::Whiteboard none = read_whiteboard_file(empty);
    EXPECT_TRUE(none.lines.isEmpty());
    EXPECT_TRUE(none.text.isEmpty());

    const QString board = dir.filePath(QStringLiteral("systemad.txt"));
    {
        QFile f(board);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("\xA1\xA1\xC4\xDA\xC8\xDD\r\nb\0c", 11));
    }
    const whiteboard_file::Whiteboard read = read_whiteboard_file(board);
    EXPECT_EQ(read.lines, (QStringList{u("内容"), u("b")}));
    EXPECT_EQ(read.text, u("内容\r\nb"));
}

}  // namespace
