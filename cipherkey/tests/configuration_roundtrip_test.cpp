// The ciphertext made by this tool is only useful if the main program's
// configuration reader turns it back into a password that opens the database.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <ostream>
#include <string>

#include "cipherkey/tests/window_fixture.h"
#include "core/configuration.h"
#include "platform/db/db.h"
#include "platform/text/gbk.h"
#include "platform/ui/runtime.h"

namespace {

using cipherkey::testing::kWindow;

class CountingHost final : public assoc::ConfigurationHost {
public:
    void show_stop_message(const std::string&) override { ++messages; }
    void request_login_close() override { ++close_requests; }
    int messages = 0;
    int close_requests = 0;
};

struct RoundTrip {
    const char* name;
    const char* password;  // UTF-8, as the operator types it
};

void PrintTo(const RoundTrip& r, std::ostream* os) { *os << r.name; }

class CipherkeyConfigurationRoundTrip : public cipherkey::testing::CipherkeyWindow,
                                        public ::testing::WithParamInterface<RoundTrip> {};

TEST_P(CipherkeyConfigurationRoundTrip, ToolCiphertextInUserconfigOpensTheDatabase)
{
    const std::string typed = GetParam().password;
    ui::set_text(kWindow, QStringLiteral("编辑框原密码"), QString::fromStdString(typed));
    click(QStringLiteral("按钮生成密文"));
    const QString ciphertext = ui::text(kWindow, QStringLiteral("编辑框数据库密文"));
    ASSERT_FALSE(ciphertext.isEmpty());

    QTemporaryDir program_dir;
    ASSERT_TRUE(program_dir.isValid());
    ASSERT_TRUE(QDir(program_dir.path()).mkdir(QStringLiteral("usertext")));
    const QString usertext = program_dir.path() + QStringLiteral("/usertext");

    // The operator's file: GBK bytes, CR LF lines, the pasted value as is.
    const std::string ini =
        "[配置信息]\r\n协会名称=测试协会\r\n数据库密文=" + ciphertext.toStdString() + "\r\n";
    QFile file(usertext + QStringLiteral("/userconfig.ini"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const std::string bytes = text::to_gbk(ini);
    ASSERT_EQ(file.write(bytes.data(), qint64(bytes.size())), qint64(bytes.size()));
    file.close();

    CountingHost host;
    std::string association_name;
    std::string database_password;
    assoc::load_configuration(program_dir.path().toStdString(), host, association_name, database_password);
    EXPECT_EQ(host.messages, 0);
    EXPECT_EQ(host.close_requests, 0);
    EXPECT_EQ(association_name, "测试协会");
    EXPECT_EQ(database_password, typed);

    const std::string database = (usertext + QStringLiteral("/causercount.mdb")).toStdString();
    std::string error;
    ASSERT_TRUE(db::create_keyed_database(database, typed, "create table t (x TEXT)", &error)) << error;
    db::Connection connection;
    EXPECT_TRUE(db::db_connect_access(connection, database, database_password));
    // A key that merely looks right must not open it.
    db::Connection wrong;
    EXPECT_FALSE(db::db_connect_access(wrong, database, database_password + "x"));
}

INSTANTIATE_TEST_SUITE_P(Passwords, CipherkeyConfigurationRoundTrip,
                         ::testing::Values(RoundTrip{"ascii", "Db-Pass 2024!"},
                                           RoundTrip{"chinese", "数据库密码"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
