// The first-run setup, checked the way the program will meet its result: the
// configuration read by the program's own reader, the database opened with the
// password deciphered from it.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/configuration.h"
#include "platform/db/db.h"
#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"
#include "tools/setup/setup.h"

namespace {

namespace fs = std::filesystem;
using test_support::read_file;
using test_support::run_command;
using test_support::TempDir;

struct NoHost final : assoc::ConfigurationHost {
    void show_stop_message(const std::string& text) override
    {
        ADD_FAILURE() << "unexpected message: " << text;
    }
    void request_login_close() override { ADD_FAILURE() << "unexpected close"; }
};

std::string configured_password(const std::string& program_folder, std::string* name = nullptr)
{
    NoHost host;
    std::string association;
    std::string password;
    assoc::load_configuration(program_folder, host, association, password);
    if (name) *name = association;
    return password;
}

std::vector<std::vector<std::string>> rows(db::Connection& connection, const std::string& table,
                                           const std::vector<std::string>& fields)
{
    db::RecordSet set;
    db::recordset_set_connection(set, connection);
    std::vector<std::vector<std::string>> out;
    if (!db::recordset_open(set, table, db::Source::table)) return out;
    for (int i = db::record_count(set); i > 0; --i) {
        std::vector<std::string> row;
        for (const std::string& field : fields) {
            std::string value;
            EXPECT_TRUE(db::recordset_read_text(set, field, value));
            row.push_back(value);
        }
        out.push_back(row);
        EXPECT_TRUE(db::recordset_move_next(set));
    }
    return out;
}

bool only_usertext_in(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names == std::vector<std::string>{"usertext"};
}

TEST(Setup, CreatesConfigurationAndDatabase)
{
    TempDir program;
    const setup::Result result = setup::run_setup(program.path());
    ASSERT_EQ(result.outcome, setup::Outcome::created) << result.error;
    EXPECT_EQ(result.folder, program.path() + "/usertext");
    EXPECT_TRUE(only_usertext_in(program.path())) << "no build folder left behind";

    // GBK bytes as iconv gives them, CR LF line ends.
    const std::string ini = read_file(program.file("usertext/userconfig.ini"));
    const std::string head =
        "[\xC5\xE4\xD6\xC3\xD0\xC5\xCF\xA2]\r\n"
        "\xD0\xAD\xBB\xE1\xC3\xFB\xB3\xC6=Quillet\r\n"
        "\xCA\xFD\xBE\xDD\xBF\xE2\xC3\xDC\xCE\xC4=";
    ASSERT_EQ(ini.substr(0, head.size()), head);
    const std::string ciphertext = ini.substr(head.size(), ini.size() - head.size() - 2);
    EXPECT_EQ(ini.substr(ini.size() - 2), "\r\n");
    EXPECT_EQ(ciphertext.size(), 24u) << "16 password bytes in Base64";

    std::string name;
    const std::string password = configured_password(program.path(), &name);
    EXPECT_EQ(name, "Quillet");
    ASSERT_EQ(password.size(), 16u);
    EXPECT_EQ(result.database_password, password) << "the operator is told the password the ini holds";
    for (char c : password) EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c))) << password;

    db::Connection connection;
    ASSERT_TRUE(db::db_connect_access(connection, result.folder + "/causercount.mdb", password));
    EXPECT_FALSE(db::db_connect_access(connection, result.folder + "/causercount.mdb", ""));
    ASSERT_TRUE(db::db_connect_access(connection, result.folder + "/causercount.mdb", password));
    const std::vector<std::vector<std::string>> admins = {
        {"admin", "0192023a7bbd73250516f069df18b500", "超级管理员", "FALSE"}};
    EXPECT_EQ(rows(connection, "adminuser", {"adminname", "adminpass", "quanxian", "disabled"}), admins);
    for (const char* table : {"causer", "qiandao", "ketang"}) {
        EXPECT_TRUE(rows(connection, table, {}).empty()) << table;
    }
}

TEST(Setup, SecondRunKeepsEverything)
{
    TempDir program;
    ASSERT_EQ(setup::run_setup(program.path()).outcome, setup::Outcome::created);
    const std::string ini = read_file(program.file("usertext/userconfig.ini"));
    {
        db::Connection connection;
        ASSERT_TRUE(db::db_connect_access(connection, program.file("usertext/causercount.mdb"),
                                          configured_password(program.path())));
        db::RecordSet set;
        db::recordset_set_connection(set, connection);
        ASSERT_TRUE(
            db::recordset_open(set, "insert into causer (name) values (?)", db::Source::sql, {"张三"}));
    }

    const setup::Result again = setup::run_setup(program.path());
    EXPECT_EQ(again.outcome, setup::Outcome::exists);
    EXPECT_EQ(again.database_password, "") << "an existing database keeps its secret";
    EXPECT_EQ(read_file(program.file("usertext/userconfig.ini")), ini);
    db::Connection connection;
    ASSERT_TRUE(db::db_connect_access(connection, program.file("usertext/causercount.mdb"),
                                      configured_password(program.path())));
    EXPECT_EQ(rows(connection, "causer", {"name"}), std::vector<std::vector<std::string>>{{"张三"}});
    EXPECT_TRUE(only_usertext_in(program.path()));
}

TEST(Setup, AnythingNamedUsertextIsLeftAlone)
{
    TempDir program;
    program.write("usertext", "a file");
    EXPECT_EQ(setup::run_setup(program.path()).outcome, setup::Outcome::exists);
    EXPECT_EQ(read_file(program.path() + "/usertext"), "a file");
    EXPECT_TRUE(only_usertext_in(program.path()));
}

TEST(Setup, RefusesAMissingProgramFolder)
{
    TempDir program;
    for (const std::string& folder : {program.path() + "/missing", std::string()}) {
        const setup::Result result = setup::run_setup(folder);
        EXPECT_EQ(result.outcome, setup::Outcome::failed);
        EXPECT_FALSE(result.error.empty());
    }
    EXPECT_FALSE(fs::exists(program.path() + "/missing"));
}

TEST(Setup, EachInstallationGetsItsOwnPassword)
{
    TempDir first;
    TempDir second;
    ASSERT_EQ(setup::run_setup(first.path()).outcome, setup::Outcome::created);
    ASSERT_EQ(setup::run_setup(second.path()).outcome, setup::Outcome::created);
    EXPECT_NE(configured_password(first.path()), configured_password(second.path()));
}

TEST(Setup, SqlcipherShellOpensTheDatabase)
{
    if (std::system("command -v sqlcipher >/dev/null 2>&1") != 0) GTEST_SKIP() << "no sqlcipher shell";
    TempDir program;
    ASSERT_EQ(setup::run_setup(program.path()).outcome, setup::Outcome::created);
    const std::string password = configured_password(program.path());
    std::string output;
    const std::string shell = "printf \"PRAGMA key='" + password + "';\\n.tables\\n\" | sqlcipher '" +
                              program.file("usertext/causercount.mdb") + "' 2>&1";
    ASSERT_EQ(run_command(shell, output), 0) << output;
    for (const char* table : {"causer", "qiandao", "ketang", "adminuser"}) {
        EXPECT_NE(output.find(table), std::string::npos) << output;
    }
}

TEST(SetupTool, TellsWhatItDid)
{
    TempDir program;
    const std::string binary = SETUP_BINARY;
    struct Case {
        std::string arguments;
        int status;
        std::vector<std::string> said;
    };
    const Case cases[] = {
        {"'" + program.path() + "'",
         0,
         {program.path() + "/usertext", "admin", "admin123", "管理设置 > 密码修改"}},
        {"'" + program.path() + "'", 0, {program.path() + "/usertext", "已存在"}},
        {"", 2, {"assocman-setup"}},
        {"'" + program.path() + "/missing'", 1, {"missing"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        std::string output;
        EXPECT_EQ(run_command("'" + binary + "' " + c.arguments + " 2>&1", output), c.status) << output;
        for (const std::string& text : c.said) EXPECT_NE(output.find(text), std::string::npos) << output;
    }
    EXPECT_TRUE(only_usertext_in(program.path()));
}

TEST(SetupTool, FailureHalfwayLeavesNothing)
{
    if (std::system("command -v bash >/dev/null 2>&1") != 0) GTEST_SKIP() << "no bash";
    TempDir program;
    // Files may not grow past 2 KiB: the database cannot be written.
    std::string output;
    EXPECT_EQ(run_command("bash -c \"trap '' XFSZ; ulimit -f 2; exec '" + std::string(SETUP_BINARY) + "' '" +
                              program.path() + "'\" 2>&1",
                          output),
              1)
        << output;
    EXPECT_NE(output.find("初始化失败"), std::string::npos) << output;
    EXPECT_TRUE(fs::is_empty(program.path())) << "neither usertext nor a build folder";
}

}  // namespace
