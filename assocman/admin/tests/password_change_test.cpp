// The password change driven through its real widgets.
#include "admin_fixture.h"
#include "core/digest.h"
#include "platform/ui/testing.h"

namespace {

using admin_test::Account;
using assoc::password_digest;
using assocman_testing::shown_texts;

const QString kWin = "password_change";
const QString kOld = "编辑框旧密码";
const QString kNew = "编辑框新密码";
const QString kAgain = "编辑框再次输入";
const QString kButton = "按钮修改密码";
const char* const kWrongOld = "旧密码输入错误,请重新设定！";
const char* const kIncomplete = "含有未填写的项，请补充完整！";

class PasswordChange : public admin_test::AdminFixture {
protected:
    void fill(const QString& old_pass, const QString& new_pass, const QString& again)
    {
        ui::set_text(kWin, kOld, old_pass);
        ui::set_text(kWin, kNew, new_pass);
        ui::set_text(kWin, kAgain, again);
    }

    // The space bar on the focused button, so "focus not moved" can be seen.
    void press() { press_key(kWin, kButton, Qt::Key_Space); }
};

TEST_F(PasswordChange, OpensWithCaptionAndAdministratorAndNoDefaultButton)
{
    make_database({{"管理员", password_digest("old"), "普通管理员"}});
    open(kWin);
    EXPECT_EQ(ui::caption(kWin), "星火社--管理员密码修改");
    EXPECT_EQ(ui::text(kWin, "透明标签当前用户名"), "管理员");
    EXPECT_EQ(ui::current_xp_style(), 2);
    EXPECT_TRUE(ui::presenter::shown().isEmpty());

    // Enter in a box starts nothing, even with everything filled in right.
    fill("old", "new", "new");
    for (const QString& box : {kOld, kNew, kAgain}) press_key(kWin, box, Qt::Key_Return);
    EXPECT_TRUE(ui::presenter::shown().isEmpty());
    EXPECT_EQ(accounts().front().pass, password_digest("old"));

    press_key(kWin, kOld, Qt::Key_Escape);
    EXPECT_FALSE(ui::is_window_open(kWin));
}

TEST_F(PasswordChange, ChangesOnlyTheFirstRowWithNameAndOldPasswordThenCloses)
{
    const std::vector<Account> before = {
        {"管理员", password_digest("其他"), "超级管理员"},
        {"管理员", password_digest(" 旧 pw "), "普通管理员", true},
        {"管理员", password_digest(" 旧 pw "), "超级管理员"},
        {"别人", password_digest(" 旧 pw "), "超级管理员"},
    };
    make_database(before);
    open(kWin);
    // Blanks are part of both passwords and of their digests.
    fill(" 旧 pw ", " 新 ", " 新 ");
    press();
    EXPECT_EQ(shown_texts(), QStringList{"恭喜您密码修改成功，重新启动程序后生效！"});
    expect_information_tips();

    std::vector<Account> after = before;
    after[1].pass = password_digest(" 新 ");
    EXPECT_EQ(accounts(), after);
    EXPECT_FALSE(ui::is_window_open(kWin));
}

TEST_F(PasswordChange, RefusedInputKeepsWindowAndStoredDigest)
{
    struct Case {
        const char* label;
        QString old_pass, new_pass, again;
        QString message;
        QString old_after;  // the other boxes always keep their text
        QString focus_after;
    };
    const std::vector<Case> cases = {
        {"old empty", "", "n", "n", kIncomplete, "", kOld},
        {"new empty", "old", "", "n", kIncomplete, "old", kOld},
        {"repeat empty", "old", "n", "", kIncomplete, "old", kOld},
        {"repeat differs in case", "old", "New", "new", "两次输入的密码不一致！", "old", kOld},
        {"wrong old", "Old", "n", "n", kWrongOld, "", kButton},
        {"blank old is content", " ", "n", "n", kWrongOld, "", kButton},
    };
    make_database({{"管理员", password_digest("old"), "普通管理员"}});
    open(kWin);
    for (const Case& c : cases) {
        ui::presenter::clear();
        fill(c.old_pass, c.new_pass, c.again);
        press();
        EXPECT_EQ(shown_texts(), QStringList{c.message}) << c.label;
        EXPECT_EQ(ui::text(kWin, kOld), c.old_after) << c.label;
        EXPECT_EQ(ui::text(kWin, kNew), c.new_pass) << c.label;
        EXPECT_EQ(ui::text(kWin, kAgain), c.again) << c.label;
        EXPECT_EQ(ui::focused_control(kWin), c.focus_after) << c.label;
        expect_information_tips();
    }
    EXPECT_TRUE(ui::is_window_open(kWin));
    EXPECT_EQ(accounts().front().pass, password_digest("old"));

    // The wrong old password was emptied, so pressing again asks for it.
    ui::presenter::clear();
    fill("wrong", "n", "n");
    press();
    press();
    EXPECT_EQ(shown_texts(), (QStringList{kWrongOld, kIncomplete}));
}

TEST_F(PasswordChange, AccountThatCannotMatchIsAWrongOldPassword)
{
    struct Case {
        const char* label;
        std::vector<Account> rows;
    };
    const std::string upper = QString::fromStdString(password_digest("old")).toUpper().toStdString();
    const std::vector<Case> cases = {
        {"empty table", {}},
        {"account deleted after the login", {{"别人", password_digest("old"), "超级管理员"}}},
        {"name stored with a trailing blank", {{"管理员 ", password_digest("old"), "超级管理员"}}},
        {"digest stored in capitals", {{"管理员", upper, "超级管理员"}}},
        {"NULL name", {{"", password_digest("old"), "超级管理员"}}},
    };
    for (const Case& c : cases) {
        make_database(c.rows);
        ui::presenter::clear();
        open(kWin);
        fill("old", "n", "n");
        press();
        EXPECT_EQ(shown_texts(), QStringList{kWrongOld}) << c.label;
        EXPECT_EQ(accounts(), c.rows) << c.label;
        close_window(kWin);
    }
}

// The window reads the accounts when it opens. A row deleted after that
// cannot take the new password, and saying it did would be a lie.
TEST_F(PasswordChange, AccountDeletedWhileOpenIsNotReportedAsChanged)
{
    make_database({{"管理员", password_digest("old"), "普通管理员"}});
    open(kWin);
    run("delete from adminuser");
    fill("old", "new", "new");
    press();
    EXPECT_EQ(shown_texts(), QStringList{"密码修改失败！新密码未能保存，请稍后重试！"});
    EXPECT_EQ(ui::presenter::shown().front().icon, ui::Icon::stop);
    EXPECT_TRUE(ui::is_window_open(kWin));
    EXPECT_TRUE(accounts().empty());

    // The unsaved digest is dropped with the write: it never counts as the
    // stored password, and the next press reads the file as it now is.
    ui::presenter::clear();
    fill("new", "new", "new");
    press();
    EXPECT_EQ(shown_texts(), QStringList{kWrongOld});
}

// A lock that blocks reading fails the save and the re-read after it; every
// later click opens the accounts again instead of taking the closed set for
// a wrong old password, and the first click after the release saves.
TEST_F(PasswordChange, DatabaseHeldByAnotherProgramFailsTheSaveUntilReleased)
{
    make_database({{"管理员", password_digest("old"), "普通管理员"}});
    open(kWin);
    ASSERT_NO_FATAL_FAILURE(hold_database(kWin, "数据库连接管理员设置", "begin exclusive"));
    fill("old", "new", "new");
    for (int click = 0; click < 2; ++click) {
        SCOPED_TRACE(click);
        ui::presenter::clear();
        press();
        const auto shown = ui::presenter::shown();
        ASSERT_EQ(shown.size(), 2);
        expect_engine_busy_box(shown[0]);
        EXPECT_EQ(shown[1].text, "密码修改失败！新密码未能保存，请稍后重试！");
        EXPECT_EQ(ui::text(kWin, kOld), "old");
    }
    release_database();
    ui::presenter::clear();
    press();
    EXPECT_EQ(shown_texts(), QStringList{"恭喜您密码修改成功，重新启动程序后生效！"});
    EXPECT_EQ(accounts().front().pass, password_digest("new"));
}

}  // namespace
