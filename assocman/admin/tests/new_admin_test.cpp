// The new-administrator window driven through its real widgets.
#include "admin_fixture.h"
#include "core/digest.h"
#include "platform/ui/testing.h"

namespace {

using admin_test::Account;
using assoc::password_digest;
using assocman_testing::shown_texts;

const QString kWin = "new_admin";
const QString kName = "编辑框账号";
const QString kPass = "编辑框密码";
const QString kConfirm = "编辑框密码确认";
const QString kSuper = "选择框权限设置";
const QString kButton = "按钮新建账号";
const char* const kIncomplete = "含有未填写的项，请补充完整！";
const char* const kNoRights = "您的权限不足！暂时无法新建账号！";

class NewAdmin : public admin_test::AdminFixture {
protected:
    void fill(const QString& name, const QString& pass, const QString& confirm)
    {
        ui::set_text(kWin, kName, name);
        ui::set_text(kWin, kPass, pass);
        ui::set_text(kWin, kConfirm, confirm);
    }
};

TEST_F(NewAdmin, RightsAreCheckedWhenTheWindowOpens)
{
    struct Case {
        const char* label;
        std::vector<Account> rows;
        bool refused;
    };
    const std::vector<Case> cases = {
        {"super administrator", {{"管理员", "d", "超级管理员"}}, false},
        {"ordinary administrator", {{"管理员", "d", "普通管理员"}}, true},
        {"rights NULL", {{"管理员", "d", ""}}, true},
        {"rights with a trailing blank", {{"管理员", "d", "超级管理员 "}}, true},
        {"a second row of the name is ordinary",
         {{"管理员", "d", "超级管理员"}, {"管理员", "e", "普通管理员"}},
         true},
        {"account gone since the login", {{"别人", "d", "普通管理员"}}, false},
        {"empty table", {}, false},
    };
    for (const Case& c : cases) {
        make_database(c.rows);
        ui::presenter::clear();
        open(kWin);
        EXPECT_EQ(shown_texts(), c.refused ? QStringList{kNoRights} : QStringList{}) << c.label;
        expect_information_tips();
        EXPECT_EQ(ui::is_window_open(kWin), !c.refused) << c.label;
        if (!c.refused) {
            EXPECT_EQ(ui::caption(kWin), "星火社-新建管理员") << c.label;
        }
        close_window(kWin);
    }
}

TEST_F(NewAdmin, StoresNameDigestAndRightsExactlyAsTyped)
{
    struct Case {
        QString name;
        QString pass;
        bool super;
    };
    // Names are compared byte for byte: case and a trailing blank make a new
    // name, and a quote is stored as typed.
    const std::vector<Case> cases = {
        {"O'Brien", "p w", false},
        {"o'brien", "密码", true},
        {"O'Brien ", " ", false},
    };
    make_database({{"管理员", password_digest("x"), "超级管理员"}});
    std::vector<Account> expected = accounts();
    for (const Case& c : cases) {
        ui::presenter::clear();
        open(kWin);
        fill(c.name, c.pass, c.pass);
        ui::set_checked(kWin, kSuper, c.super);
        click(kWin, kButton);
        EXPECT_EQ(shown_texts(), QStringList{"恭喜您添加用户" + c.name + "成功！"});
        expect_information_tips();
        EXPECT_FALSE(ui::is_window_open(kWin)) << c.name.toStdString();
        expected.push_back({c.name.toStdString(), password_digest(c.pass.toStdString()),
                            c.super ? "超级管理员" : "普通管理员", false});
    }
    EXPECT_EQ(accounts(), expected);
}

TEST_F(NewAdmin, RefusedInputKeepsTheWindowOpenAndAddsNothing)
{
    struct Case {
        const char* label;
        QString name, pass, confirm;
        QString message;
        QString name_after, pass_after, confirm_after;
        QString focus_after;
    };
    const std::vector<Case> cases = {
        {"name empty", "", "p", "p", kIncomplete, "", "p", "p", kName},
        {"password empty", "n", "", "p", kIncomplete, "n", "", "p", kName},
        {"confirmation empty", "n", "p", "", kIncomplete, "n", "p", "", kName},
        {"confirmation differs in case", "n", "Pw", "pw", "两次输入的密码不一致！请重新输入！", "n", "", "",
         kName},
        {"name taken", "管理员", "p", "p", "该用户名已存在，请更换用户名！", "", "p", "p", kButton},
    };
    make_database({{"管理员", password_digest("x"), "超级管理员"}});
    const std::vector<Account> before = accounts();
    open(kWin);
    ui::set_checked(kWin, kSuper, true);
    for (const Case& c : cases) {
        ui::presenter::clear();
        fill(c.name, c.pass, c.confirm);
        click(kWin, kButton);  // the click itself puts the focus on the button
        EXPECT_EQ(shown_texts(), QStringList{c.message}) << c.label;
        EXPECT_EQ(ui::text(kWin, kName), c.name_after) << c.label;
        EXPECT_EQ(ui::text(kWin, kPass), c.pass_after) << c.label;
        EXPECT_EQ(ui::text(kWin, kConfirm), c.confirm_after) << c.label;
        EXPECT_EQ(ui::focused_control(kWin), c.focus_after) << c.label;
        EXPECT_TRUE(ui::is_checked(kWin, kSuper)) << c.label;
    }
    EXPECT_TRUE(ui::is_window_open(kWin));
    EXPECT_EQ(accounts(), before);

    // The taken name was emptied: pressing again at once asks for it.
    ui::presenter::clear();
    click(kWin, kButton);
    EXPECT_EQ(shown_texts(), QStringList{kIncomplete});
}

TEST_F(NewAdmin, EnterInAnyBoxPressesTheButton)
{
    make_database({});
    open(kWin);
    for (const QString& box : {kName, kPass, kConfirm}) {
        ui::presenter::clear();
        fill("", "p", "p");
        press_key(kWin, box, Qt::Key_Return);
        EXPECT_EQ(shown_texts(), QStringList{kIncomplete}) << box.toStdString();
    }
}

// Without a database the row cannot be stored; the window must not claim
// the account exists.
TEST_F(NewAdmin, UnstoredAccountIsNotReportedAsCreated)
{
    open(kWin);  // no database file at all
    ASSERT_TRUE(ui::is_window_open(kWin));
    ui::presenter::clear();
    fill("n", "p", "p");
    click(kWin, kButton);
    EXPECT_EQ(shown_texts(), QStringList{"新建账号失败！账号未能保存，请稍后重试！"});
    EXPECT_EQ(ui::presenter::shown().front().icon, ui::Icon::stop);
    EXPECT_TRUE(ui::is_window_open(kWin));
    EXPECT_EQ(ui::text(kWin, kName), "n");
}

// A lock that blocks reading fails the save and the re-read after it; every
// later click opens the accounts again, and the first click after the
// release saves.
TEST_F(NewAdmin, DatabaseHeldByAnotherProgramFailsTheSaveUntilReleased)
{
    make_database({{"管理员", password_digest("x"), "超级管理员"}});
    const std::vector<Account> before = accounts();
    open(kWin);
    ASSERT_NO_FATAL_FAILURE(hold_database(kWin, "数据库连接新建账号", "begin exclusive"));
    fill("新人", "p", "p");
    for (int click_count = 0; click_count < 2; ++click_count) {
        SCOPED_TRACE(click_count);
        ui::presenter::clear();
        click(kWin, kButton);
        const auto shown = ui::presenter::shown();
        ASSERT_EQ(shown.size(), 2);
        expect_engine_busy_box(shown[0]);
        EXPECT_EQ(shown[1].text, "新建账号失败！账号未能保存，请稍后重试！");
        EXPECT_EQ(ui::text(kWin, kName), "新人");
    }
    release_database();
    EXPECT_EQ(accounts(), before);
    ui::presenter::clear();
    click(kWin, kButton);
    EXPECT_EQ(shown_texts(), QStringList{"恭喜您添加用户新人成功！"});
    EXPECT_EQ(accounts().size(), 2u);
}

// Opened the table again at a click, the window checks the rights it could
// not check when it opened.
TEST_F(NewAdmin, RightsUnreadableAtTheOpeningAreCheckedAtTheClick)
{
    make_database({{"管理员", password_digest("x"), "普通管理员"}});
    const std::vector<Account> before = accounts();
    run("alter table adminuser rename to away");
    open(kWin);
    ASSERT_TRUE(ui::is_window_open(kWin));
    run("alter table away rename to adminuser");
    ui::presenter::clear();
    fill("新人", "p", "p");
    click(kWin, kButton);
    EXPECT_EQ(shown_texts(), QStringList{kNoRights});
    EXPECT_FALSE(ui::is_window_open(kWin));
    EXPECT_EQ(accounts(), before);
}

}  // namespace
