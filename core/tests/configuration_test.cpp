#include "core/configuration.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/cipher.h"
#include "platform/text/gbk.h"
#include "tests/support/temp_dir.h"

namespace assoc {
namespace {

class RecordingHost : public ConfigurationHost {
public:
    void show_stop_message(const std::string& utf8_text) override { calls.push_back("message:" + utf8_text); }
    void request_login_close() override { calls.push_back("close"); }

    std::vector<std::string> calls;
};

// What "Rv7KqWzM" deciphers to (aa f1 06 11 f1 77), read as GB18030:
// U+E050 from the user-defined area, two control bytes and U+99D1.
const std::string kDefaultPassword = "\xee\x81\x90\x06\x11\xe9\xa7\x91";

class LoadConfiguration : public ::testing::Test {
protected:
    void write_config(const std::string& utf8_content)
    {
        dir.write("usertext/userconfig.ini", text::to_gbk(utf8_content));
    }

    void load() { load_configuration(dir.path(), host, name, password); }

    test_support::TempDir dir;
    RecordingHost host;
    std::string name = "old name";
    std::string password = "old password";
};

TEST_F(LoadConfiguration, MissingFileShowsTheMessageOnceThenAsksToClose)
{
    // A file next to the program, or in usertext under another name, does not count.
    dir.write("userconfig.ini", "[配置信息]\n");
    dir.write("usertext/userconfig.ini.bak", "[配置信息]\n");
    load();
    EXPECT_EQ(host.calls, (std::vector<std::string>{"message:抱歉，获取系统配置文件出错！", "close"}));
    EXPECT_EQ(name, "old name");
    EXPECT_EQ(password, "old password");
}

TEST_F(LoadConfiguration, DirectoryOfThatNamePassesTheTestButHasNoSections)
{
    std::filesystem::create_directories(dir.path() + "/usertext/userconfig.ini");
    load();
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(name, "old name");
    EXPECT_EQ(password, "");
}

TEST_F(LoadConfiguration, DanglingLinkOfThatNameCountsAsPresent)
{
    std::filesystem::create_directories(dir.path() + "/usertext");
    std::filesystem::create_symlink(dir.path() + "/nowhere", dir.path() + "/usertext/userconfig.ini");
    load();
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(password, "");
}

TEST_F(LoadConfiguration, ReadsTheFileCases)
{
    const std::string chinese_cipher = encodebin(text::to_gbk("数据库密码"), kKeyText, kDesAlgorithm);
    const struct {
        const char* what;
        std::string file;
        std::string name;
        std::string password;
    } cases[] = {
        {"both keys", "[配置信息]\r\n协会名称=学生会\r\n数据库密文=Ov6IQE76XR4=\r\n", "学生会", "中文密码"},
        {"enciphered Chinese password", "[配置信息]\n协会名称=社团\n数据库密文=" + chinese_cipher + "\n",
         "社团", "数据库密码"},
        {"ascii password", "[配置信息]\n数据库密文=nIU2blxGq0s=\n", "Quillet", "password"},
        {"both keys absent", "[配置信息]\n", "Quillet", kDefaultPassword},
        {"both keys empty", "[配置信息]\n协会名称=\n数据库密文=\n", "", ""},
        {"ciphertext of 1 character", "[配置信息]\n协会名称=a\n数据库密文=j\n", "a", ""},
        {"ciphertext of 3 characters", "[配置信息]\n协会名称=a\n数据库密文=jRG\n", "a", ""},
        {"zero byte cuts the password", "[配置信息]\n数据库密文=jRHuFN4=\n", "Quillet", "ab"},
        {"malformed ciphertext", "[配置信息]\n数据库密文=jRG!\n", "Quillet", ""},
        {"other sections first", "[其他]\n协会名称=x\n[配置信息]\n协会名称=y\n", "y", kDefaultPassword},
        {"first matching section wins",
         "[配置信息]\n协会名称=one\n[配置信息]\n协会名称=two\n数据库密文=jQ==\n", "one", kDefaultPassword},
        {"no such section", "[其他]\n协会名称=x\n数据库密文=jQ==\n", "old name", ""},
        {"trailing space in the name", "[配置信息 ]\n协会名称=x\n", "old name", ""},
        {"leading space in the name", "[ 配置信息]\n协会名称=x\n", "old name", ""},
        {"empty file", "", "old name", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        write_config(c.file);
        name = "old name";
        password = "old password";
        load();
        EXPECT_TRUE(host.calls.empty());
        EXPECT_EQ(name, c.name);
        EXPECT_EQ(password, c.password);
    }
}

TEST_F(LoadConfiguration, SectionNamesAreSeenAsFarAsTheListBufferHolds)
{
    // The list buffer holds 204800 bytes: every name with its terminator, then
    // one more terminator. One long section name in front leaves `room` bytes
    // for the rest; "配置信息" takes 8 GBK bytes.
    constexpr std::size_t kBuffer = 204800;
    const struct {
        const char* what;
        std::size_t room;
        std::string section;
        std::string name;
    } cases[] = {
        {"whole name and terminator fit", 10, "配置信息", "社团"},
        {"cut to the last byte still leaves the whole name", 9, "配置信息", "社团"},
        {"cut inside the name", 8, "配置信息", "old name"},
        {"a longer name cut to exactly the section name", 9, "配置信息X", "Quillet"},
        {"far past the buffer", 0, "配置信息", "old name"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::size_t filler = kBuffer - 1 - c.room - 1;  // less its own terminator
        write_config("[" + std::string(c.room == 0 ? kBuffer : filler, 'a') + "]\n[" + c.section +
                     "]\n协会名称=社团\n数据库密文=nIU2blxGq0s=\n");
        name = "old name";
        password = "old password";
        load();
        EXPECT_TRUE(host.calls.empty());
        EXPECT_EQ(name, c.name);
    }
}

}  // namespace
}  // namespace assoc
