// The login window driven through its real widgets, headless, against a
// real encrypted database and configuration file in a temporary folder.
#include "assocman/login/login.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <optional>

#include "assocman/state/state.h"
#include "assocman/state/tip.h"
#include "assocman/testing/window_test.h"
#include "core/cipher.h"
#include "core/digest.h"
#include "platform/db/db.h"
#include "platform/text/gbk.h"
#include "platform/ui/message.h"
#include "platform/ui/runtime.h"
#include "platform/ui/testing.h"

namespace {

using assocman_testing::shown_texts;

const QString kWin = "login";
const QString kName = "编辑框用户名";
const QString kPass = "编辑框密码";

struct Admin {
    std::optional<std::string> name;
    std::string pass_digest;
    bool disabled = false;
};

class LoginWindow : public assocman_testing::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        if (HasFatalFailure()) return;
        login::register_login_handlers();
        workspace_created = 0;
        ui::register_handler("test.workspace_created", [this] { ++workspace_created; });
        ASSERT_NO_FATAL_FAILURE(assocman_testing::add_form(kWin));
        ASSERT_NO_FATAL_FAILURE(
            assocman_testing::add_description(R"({"window":"workspace","title":"w","size":[100,100],
            "events":{"on_created":"test.workspace_created"}})",
                                              "workspace"));
    }

    void write_config(const std::string& body_utf8)
    {
        write_usertext("userconfig.ini", text::to_gbk(body_utf8));
    }

    void write_config_for(const std::string& association, const std::string& password)
    {
        write_config("[配置信息]\r\n协会名称=" + association +
                     "\r\n数据库密文=" + assoc::encodebin(text::to_gbk(password), "wkz", 4) + "\r\n");
    }

    void make_database(const std::string& password, const std::vector<Admin>& admins)
    {
        database_key = password;
        ASSERT_NO_FATAL_FAILURE(create_database());
        for (const Admin& a : admins) {
            // A NULL name goes in as SQL NULL; the flag is a digit of our own.
            const std::string sql =
                std::string("insert into adminuser (adminname, adminpass, quanxian, disabled) ") +
                (a.name ? "values (?, ?, '超级管理员', " : "values (NULL, ?, '超级管理员', ") +
                (a.disabled ? "1)" : "0)");
            const std::vector<db::Param> params = a.name ? std::vector<db::Param>{*a.name, a.pass_digest}
                                                         : std::vector<db::Param>{a.pass_digest};
            ASSERT_NO_FATAL_FAILURE(run(sql, params));
        }
    }

    void open_login() { open_window(kWin); }

    void type_and_login(const QString& name, const QString& pass)
    {
        ui::set_text(kWin, kName, name);
        ui::set_text(kWin, kPass, pass);
        click(kWin, "按钮登陆");
    }

    int workspace_created = 0;
};

TEST_F(LoginWindow, CaptionComesFromTheAssociationName)
{
    write_config_for("星火社", "pw");
    make_database("pw", {});
    open_login();
    EXPECT_EQ(ui::caption(kWin), "星火社管理系统");
    EXPECT_EQ(app::state().database_password, "pw");
    EXPECT_TRUE(ui::presenter::shown().isEmpty());
    EXPECT_EQ(ui::current_xp_style(), 2);
}

TEST_F(LoginWindow, SuccessfulLoginRecordsTheStoredNameAndOpensTheWorkspace)
{
    write_config_for("Q", "secret");
    make_database("secret", {{"管理员", assoc::password_digest("密码1"), false}});
    open_login();
    type_and_login("管理员", "密码1");
    EXPECT_TRUE(ui::presenter::shown().isEmpty());
    EXPECT_EQ(app::state().current_admin, "管理员");
    EXPECT_EQ(workspace_created, 1);
}

TEST_F(LoginWindow, FirstRowMatchingNameAndDigestDecides)
{
    write_config_for("Q", "k");
    make_database("k", {{"ann", assoc::password_digest("wrong"), false},
                        {"ann", assoc::password_digest("right"), false}});
    open_login();
    type_and_login("ann", "right");
    EXPECT_EQ(workspace_created, 1);
    EXPECT_EQ(app::state().current_admin, "ann");
}

TEST_F(LoginWindow, LockedFirstMatchRefusesEvenWithAnUnlockedTwin)
{
    write_config_for("Q", "k");
    make_database(
        "k", {{"bob", assoc::password_digest("pw"), true}, {"bob", assoc::password_digest("pw"), false}});
    open_login();
    type_and_login("bob", "pw");
    ASSERT_EQ(ui::presenter::shown().size(), 1);
    const auto box = ui::presenter::shown().front();
    EXPECT_EQ(box.text, "该用户已被锁定！无法完成登陆操作！");
    EXPECT_EQ(box.title, app::kTipTitle);
    EXPECT_EQ(box.icon, ui::Icon::stop);
    EXPECT_EQ(workspace_created, 0);
    EXPECT_EQ(ui::text(kWin, kName), "");
    EXPECT_EQ(ui::text(kWin, kPass), "");
    EXPECT_EQ(ui::focused_control(kWin), kName);
}

TEST_F(LoginWindow, NearMissesAreRefusedAndClearBothBoxes)
{
    struct Case {
        const char* label;
        QString name;
        QString pass;
    };
    const std::vector<Case> cases = {
        {"trailing blank", "carol ", "pw"},          {"other letter case", "Carol", "pw"},
        {"wrong password", "carol", "pw2"},          {"unknown name", "dave", "pw"},
        {"digest stored in capitals", "erin", "pw"},
    };
    write_config_for("Q", "k");
    make_database(
        "k", {{"carol", assoc::password_digest("pw"), false},
              {"erin", QString::fromStdString(assoc::password_digest("pw")).toUpper().toStdString(), false},
              {std::nullopt, assoc::password_digest("pw"), false}});
    open_login();
    for (const Case& c : cases) {
        ui::presenter::clear();
        type_and_login(c.name, c.pass);
        ASSERT_EQ(ui::presenter::shown().size(), 1) << c.label;
        EXPECT_EQ(ui::presenter::shown().front().text, "用户名或密码错误！无法完成验证！") << c.label;
        EXPECT_EQ(ui::presenter::shown().front().icon, ui::Icon::information) << c.label;
        EXPECT_EQ(ui::text(kWin, kName), "") << c.label;
        EXPECT_EQ(ui::text(kWin, kPass), "") << c.label;
        EXPECT_EQ(ui::focused_control(kWin), kName) << c.label;
    }
    EXPECT_EQ(workspace_created, 0);
}

TEST_F(LoginWindow, EmptyBoxesAreRefusedAndKeepTheirText)
{
    write_config_for("Q", "k");
    make_database("k", {{"x", assoc::password_digest("y"), false}});
    open_login();
    for (auto [name, pass] : std::vector<std::pair<QString, QString>>{{"", "y"}, {"x", ""}, {"", ""}}) {
        ui::presenter::clear();
        type_and_login(name, pass);
        ASSERT_EQ(shown_texts(), QStringList{"用户名或密码不为空，请重新输入！"});
        EXPECT_EQ(ui::text(kWin, kName), name);
        EXPECT_EQ(ui::text(kWin, kPass), pass);
        EXPECT_EQ(ui::focused_control(kWin), kName);
    }
    // Blanks are content: they are checked against the accounts, not refused as empty.
    ui::presenter::clear();
    type_and_login(" ", " ");
    EXPECT_EQ(shown_texts(), QStringList{"用户名或密码错误！无法完成验证！"});
}

TEST_F(LoginWindow, EnterInEitherBoxClicksLogin)
{
    write_config_for("Q", "k");
    make_database("k", {{"x", assoc::password_digest("y"), false}});
    open_login();
    for (const QString& box : {kName, kPass}) {
        ui::presenter::clear();
        ui::set_text(kWin, kName, "nobody");
        ui::set_text(kWin, kPass, "y");
        press_key(kWin, box, Qt::Key_Return);
        EXPECT_EQ(shown_texts(), QStringList{"用户名或密码错误！无法完成验证！"}) << box.toStdString();
    }
}

TEST_F(LoginWindow, MissingConfigurationShowsStopMessageAndTriesWithoutPassword)
{
    // An unkeyed database: the connection without a password succeeds, so the
    // only message is the configuration one, and the window still closes.
    make_database("", {});
    ASSERT_TRUE(ui::load_window(kWin));
    // The close is asynchronous: the window still exists until events run.
    EXPECT_EQ(ui::caption(kWin), "管理系统");
    ASSERT_EQ(shown_texts(), QStringList{"抱歉，获取系统配置文件出错！"});
    EXPECT_EQ(ui::presenter::shown().front().icon, ui::Icon::stop);
    EXPECT_EQ(app::state().database_password, "");
    QCoreApplication::processEvents();
    EXPECT_FALSE(ui::is_window_open(kWin));
    EXPECT_EQ(ui::open_window_count(), 0);
}

TEST_F(LoginWindow, MissingConfigurationAndKeyedDatabaseShowsBothMessages)
{
    make_database("k", {});
    open_login();
    EXPECT_EQ(shown_texts(),
              (QStringList{"抱歉，获取系统配置文件出错！", "数据库连接失败！程序无法正常使用！"}));
    QCoreApplication::processEvents();
    EXPECT_EQ(ui::open_window_count(), 0);
}

TEST_F(LoginWindow, WrongOrMalformedCiphertextEndsInConnectionFailure)
{
    make_database("k", {});
    for (const char* cipher : {"Rv7KqWzM", "!!!!", "ab", ""}) {
        ui::presenter::clear();
        write_config(std::string("[配置信息]\r\n协会名称=Q\r\n数据库密文=") + cipher + "\r\n");
        open_login();
        EXPECT_EQ(shown_texts(), QStringList{"数据库连接失败！程序无法正常使用！"}) << cipher;
        QCoreApplication::processEvents();
        EXPECT_FALSE(ui::is_window_open(kWin)) << cipher;
    }
    EXPECT_FALSE(QFile::exists(usertext("causercount.mdb-journal")));
}

TEST_F(LoginWindow, ExitButtonEndsTheProgramWithCodeZeroAfterTheCleanUp)
{
    write_config_for("Q", "k");
    make_database("k", {});
    int cleanups = 0;
    std::optional<int> exit_code;
    ui::register_exit_cleanup([&] { ++cleanups; });
    ui::set_exit_hook([&](int code) { exit_code = code; });
    open_login();
    click(kWin, "按钮登陆1");
    EXPECT_EQ(exit_code, 0);
    EXPECT_EQ(cleanups, 1);
}

}  // namespace
