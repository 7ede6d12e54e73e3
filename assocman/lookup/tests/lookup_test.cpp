// The member look-up window driven through its real widgets, headless,
// against a real encrypted database in a temporary program folder.
#include "assocman/lookup/lookup.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <optional>
#include <string>
#include <vector>

#include "assocman/state/state.h"
#include "assocman/state/tip.h"
#include "assocman/testing/window_test.h"
#include "platform/db/db.h"
#include "platform/ui/message.h"
#include "platform/ui/runtime.h"
#include "platform/ui/testing.h"

namespace {

const QString kWin = "member_lookup";
const QString kCriterion = "编辑框姓名找人";
const QString kSave = "按钮保存数据";
// The record boxes in the order of the fields they carry (see kFields).
const QStringList kBoxes = {"编辑框姓名", "编辑框手机号", "编辑框系别", "编辑框学号", "编辑框备注"};
const std::vector<std::string> kFields = {"name", "phonenum", "class", "xuehao", "otherinfo"};
const QStringList kLocked(5, "readonly");
const QStringList kUnlocked = {"normal", "readonly", "normal", "integer", "normal"};
const std::string kPassword = "会员pw";

const char* const kNotFound = "抱歉，尚未查找到您需要的信息！";
const char* const kRefused = "未查找数据，禁止修改数据！";
const char* const kUpdated = "恭喜您！本条数据已更新！";

// A member's fields in kFields order; nullopt is NULL.
using Row = std::vector<std::optional<std::string>>;

class LookupWindow : public assocman_testing::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        if (HasFatalFailure()) return;
        app::state().association_name = "星火社";
        set_database_key(kPassword);
        lookup::register_lookup_handlers();
        ASSERT_NO_FATAL_FAILURE(assocman_testing::add_form(kWin));
    }

    void make_database(const std::vector<Row>& members)
    {
        ASSERT_NO_FATAL_FAILURE(create_database());
        ASSERT_TRUE(connect(c, rs));
        for (const Row& m : members) {
            std::vector<db::Param> params;
            for (const auto& f : m) params.push_back(f ? db::Param{*f} : db::Param{});
            ASSERT_TRUE(db::recordset_open(
                rs, "insert into causer (name, phonenum, class, xuehao, otherinfo) values (?, ?, ?, ?, ?)",
                db::Source::sql, params));
        }
    }

    Row stored(long long id)
    {
        Row r;
        for (const std::string& f : kFields) {
            EXPECT_TRUE(db::recordset_open(
                rs, "select " + f + " as v, " + f + " is null as n from causer where id = ?", db::Source::sql,
                {id}));
            std::string text;
            long long is_null = 0;
            EXPECT_TRUE(db::recordset_read_text(rs, "v", text));
            EXPECT_TRUE(db::recordset_read_integer(rs, "n", is_null));
            r.push_back(is_null ? std::nullopt : std::optional{text});
        }
        return r;
    }

    void open() { open_window(kWin); }
    void click(const char* button) { WindowTest::click(kWin, QString::fromUtf8(button)); }

    void look_up(const QString& name)
    {
        ui::set_text(kWin, kCriterion, name);
        click("按钮会员查询");
    }

    // What the user saw since the last call.
    static QStringList messages()
    {
        const QStringList out = assocman_testing::shown_texts();
        ui::presenter::clear();
        return out;
    }

    static QStringList each_box(QString (*read)(const QString&, const QString&))
    {
        QStringList out;
        for (const QString& b : kBoxes) out << read(kWin, b);
        return out;
    }
    static QStringList boxes() { return each_box(ui::text); }
    static QStringList modes() { return each_box(ui::edit_mode); }

    db::Connection c;
    db::RecordSet rs;
};

TEST_F(LookupWindow, OpensLockedOrKeepsItsTitleWhenTheConnectionFails)
{
    make_database({{"ann", {}, {}, {}, {}}});
    open();
    EXPECT_EQ(ui::caption(kWin), "星火社-会员资料库");
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_EQ(ui::focused_control(kWin), kCriterion);
    EXPECT_EQ(ui::current_xp_style(), 2);
    EXPECT_EQ(modes(), kLocked);
    EXPECT_TRUE(ui::is_disabled(kWin, kSave));

    close_window(kWin);
    app::state().database_password = "wrong";
    open();
    ASSERT_EQ(ui::presenter::shown().size(), 1);
    EXPECT_EQ(ui::presenter::shown().front().icon, ui::Icon::information);
    EXPECT_EQ(messages(), QStringList{"数据库连接失败！程序无法正常使用！"});
    EXPECT_TRUE(ui::is_window_open(kWin));
    EXPECT_EQ(ui::caption(kWin), "Quillet--会员资料库");
    // The unbound set cannot open: the engine's own box, then nothing is found.
    look_up("ann");
    ASSERT_EQ(ui::presenter::shown().size(), 2);
    EXPECT_NE(ui::presenter::shown().front().title, app::kTipTitle);
    EXPECT_EQ(messages().back(), kNotFound);
}

TEST_F(LookupWindow, LookUpShowsTheFirstExactMatchOnly)
{
    make_database({{"ann", "13800000001", "数学系", "2021-01", "first\r\nline two"},
                   {"ann", "13800000002", "物理系", "2021-02", "second"},
                   {"  ", "1", "blank", "3", {}},
                   {"Bob", {}, {}, {}, {}}});
    open();
    const std::vector<std::pair<const char*, QStringList>> cases = {
        {"ann", {"ann", "13800000001", "数学系", "2021-01", "first\r\nline two"}},  // the first twin wins
        {"Ann", {}},  // empty: not found, boxes keep what they had
        {"ann ", {}},
        {" ann", {}},
        {"  ", {"  ", "1", "blank", "3", ""}},  // blanks are content
        {" ", {}},
        {"Bob", {"Bob", "", "", "", ""}},  // NULL shows empty
        {"bob", {}},
    };
    for (const auto& [criterion, shown] : cases) {
        const QStringList before = boxes();
        look_up(QString::fromUtf8(criterion));
        EXPECT_EQ(messages(), shown.isEmpty() ? QStringList{kNotFound} : QStringList{}) << criterion;
        EXPECT_EQ(boxes(), shown.isEmpty() ? before : shown) << criterion;
        EXPECT_EQ(modes(), kLocked) << criterion;
    }

    ui::set_focus(kWin, kBoxes[0]);
    look_up("");
    EXPECT_EQ(messages(), QStringList{"查找条件不能为空！"});
    EXPECT_EQ(ui::focused_control(kWin), kCriterion);

    // 查询 is the window's default button: Enter in the criterion box looks up.
    ASSERT_EQ(boxes().front(), "Bob");
    ui::set_text(kWin, kCriterion, "ann");
    press_key(kWin, kCriterion, Qt::Key_Return);
    EXPECT_EQ(messages(), QStringList{});
    EXPECT_EQ(boxes().front(), "ann");
}

TEST_F(LookupWindow, CorrectionNeedsAMemberFoundInThisOpening)
{
    make_database({{"ann", {}, {}, {}, {}}});
    open();
    click("按钮信息纠错");
    look_up("ann");
    look_up("nobody");  // a failed look-up forgets the member
    click("按钮信息纠错");
    EXPECT_EQ(messages(), (QStringList{kRefused, kNotFound, kRefused}));

    look_up("ann");
    close_window(kWin);
    open();
    click("按钮信息纠错");
    EXPECT_EQ(messages(), QStringList{kRefused});
    EXPECT_EQ(modes(), kLocked);
    EXPECT_TRUE(ui::is_disabled(kWin, kSave));
}

TEST_F(LookupWindow, CorrectionAndSaveRewriteFourFieldsOfTheRowById)
{
    make_database({{"ann", "13800000001", "数学系", "2021-01", "note"}, {"bob", "2", "物理系", "7", "x"}});
    const Row bob = stored(2);
    open();
    look_up("ann");
    click("按钮信息纠错");
    EXPECT_EQ(modes(), kUnlocked);
    EXPECT_FALSE(ui::is_disabled(kWin, kSave));
    EXPECT_EQ(ui::focused_control(kWin), kBoxes[0]);
    ui::set_text(kWin, kBoxes[3], "");
    QTest::keyClicks(ui::control_widget(kWin, kBoxes[3]), "a1-b9c");
    EXPECT_EQ(ui::text(kWin, kBoxes[3]), "1-9");

    // A quote is plain text to the database; a cleared box becomes NULL; the
    // phone box is never written, whatever it shows.
    ui::set_text(kWin, kBoxes[0], "O'Neil 张");
    ui::set_text(kWin, kBoxes[1], "000");
    ui::set_text(kWin, kBoxes[2], "");
    ui::set_text(kWin, kBoxes[4], "a\r\nb");
    click("按钮保存数据");
    EXPECT_EQ(ui::presenter::shown().front().icon, ui::Icon::information);
    EXPECT_EQ(messages(), QStringList{kUpdated});
    EXPECT_EQ(modes(), kLocked);
    EXPECT_TRUE(ui::is_disabled(kWin, kSave));
    EXPECT_EQ(ui::focused_control(kWin), kCriterion);
    EXPECT_EQ(stored(1), (Row{"O'Neil 张", "13800000001", std::nullopt, "1-9", "a\r\nb"}));
    EXPECT_EQ(stored(2), bob);

    // The new name finds the same row; without a new look-up the member
    // unlocks again, and a failed look-up while editing keeps the target.
    look_up("O'Neil 张");
    EXPECT_EQ(boxes(), (QStringList{"O'Neil 张", "13800000001", "", "1-9", "a\r\nb"}));
    click("按钮信息纠错");
    look_up("nobody");
    ui::set_text(kWin, kBoxes[0], "ann");
    click("按钮保存数据");
    EXPECT_EQ(messages(), (QStringList{kNotFound, kUpdated}));
    EXPECT_EQ(stored(1)[0], "ann");
    EXPECT_EQ(stored(2), bob);
}

TEST_F(LookupWindow, SaveOfAVanishedRowChangesNothingAndSaysSo)
{
    make_database({{"ann", {}, {}, {}, {}}, {"bob", {}, {}, {}, {}}});
    open();
    look_up("ann");
    click("按钮信息纠错");
    ASSERT_TRUE(db::recordset_open(rs, "delete from causer where id = 1", db::Source::sql));
    const Row bob = stored(2);
    ui::set_text(kWin, kBoxes[0], "changed");
    click("按钮保存数据");
    ASSERT_EQ(ui::presenter::shown().size(), 1);
    EXPECT_EQ(ui::presenter::shown().front().icon, ui::Icon::stop);
    EXPECT_NE(messages().front(), kUpdated);
    EXPECT_EQ(stored(2), bob);
    ASSERT_TRUE(db::recordset_open(rs, "select id from causer", db::Source::sql));
    EXPECT_EQ(db::record_count(rs), 1);
}

// Another program holding the database for writing fails the save; what was
// typed stays editable, and the click after the release saves it.
TEST_F(LookupWindow, FailedSaveKeepsTheEditForTheRetry)
{
    make_database({{"ann", "1", "数学系", "2", "x"}});
    open();
    look_up("ann");
    click("按钮信息纠错");
    ASSERT_NO_FATAL_FAILURE(hold_database(kWin, "数据库连接会员查询", "begin immediate"));
    ui::set_text(kWin, kBoxes[0], "changed");
    click("按钮保存数据");
    EXPECT_EQ(messages(), QStringList{"抱歉，本条数据未能更新！"});
    EXPECT_EQ(modes(), kUnlocked);
    EXPECT_FALSE(ui::is_disabled(kWin, kSave));
    EXPECT_EQ(boxes(), (QStringList{"changed", "1", "数学系", "2", "x"}));
    EXPECT_EQ(stored(1)[0], "ann");

    release_database();
    click("按钮保存数据");
    EXPECT_EQ(messages(), QStringList{kUpdated});
    EXPECT_EQ(modes(), kLocked);
    EXPECT_TRUE(ui::is_disabled(kWin, kSave));
    EXPECT_EQ(stored(1)[0], "changed");
}

}  // namespace
