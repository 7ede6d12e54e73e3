// The member-add and member-list windows driven through their real widgets,
// headless, against a real encrypted database in a temporary program folder.
#include "assocman/members/members.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTest>
#include <string>
#include <vector>

#include "assocman/state/state.h"
#include "assocman/testing/window_test.h"
#include "platform/db/db.h"
#include "platform/ui/message.h"
#include "platform/ui/runtime.h"
#include "platform/ui/testing.h"

namespace {

using assocman_testing::shown_texts;

const QString kAdd = "member_add";
const QString kList = "member_list";
const QString kName = "编辑框姓名";
const QString kPhone = "编辑框手机号";
const QString kDept = "编辑框系别";
const QString kNumber = "编辑框编号";
const QString kTable = "超级列表框1";
const std::string kKey = "社团密钥";

class MembersFixture : public assocman_testing::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        if (HasFatalFailure()) return;
        app::state().association_name = "星火社";
        set_database_key(kKey);
        members::register_members_handlers();
        for (const QString& form : {kAdd, kList}) ASSERT_NO_FATAL_FAILURE(assocman_testing::add_form(form));
    }

    // Every stored member as "name|phonenum|class|sex|xuehao|otherinfo", NULL as "~".
    std::vector<std::string> stored()
    {
        return column(
            "select coalesce(name,'~')||'|'||coalesce(phonenum,'~')||'|'||coalesce(class,'~')"
            "||'|'||coalesce(sex,'~')||'|'||coalesce(xuehao,'~')||'|'||coalesce(otherinfo,'~')"
            " r from causer order by id");
    }

    void fill(const QString& name, const QString& phone, const QString& dept, const QString& number)
    {
        ui::set_text(kAdd, kName, name);
        ui::set_text(kAdd, kPhone, phone);
        ui::set_text(kAdd, kDept, dept);
        ui::set_text(kAdd, kNumber, number);
    }

    void press_add()
    {
        ui::presenter::clear();
        click(kAdd, "按钮添加成员");
    }

    QStringList list_row(int row) const
    {
        QStringList cells;
        for (int col = 0; col < 6; ++col) cells << ui::cell_text(kList, kTable, row, col);
        return cells;
    }
};

using MemberAdd = MembersFixture;
using MemberList = MembersFixture;

TEST_F(MemberAdd, CaptionsFollowTheAssociationNameAndEscCloses)
{
    create_database();
    for (const QString& association : {QString("星火社"), QString()}) {
        app::state().association_name = association;
        for (const QString& window : {kAdd, kList}) {
            open_window(window);
            EXPECT_EQ(ui::caption(window), association + (window == kAdd ? "-成员添加" : "-成员列表"));
            press_key_in(window, Qt::Key_Escape);
            EXPECT_FALSE(ui::is_window_open(window)) << window.toStdString();
        }
    }
    EXPECT_TRUE(ui::presenter::shown().isEmpty());
    EXPECT_EQ(ui::current_xp_style(), 2);
}

TEST_F(MemberAdd, MissingNameOrPhoneIsRefusedAndKeepsTheBoxes)
{
    create_database();
    open_window(kAdd);
    for (auto [name, phone] : std::vector<std::pair<QString, QString>>{{"张三", ""}, {"", "138"}, {"", ""}}) {
        fill(name, phone, "物理系", "7");
        ui::set_focus(kAdd, kDept);
        press_add();
        ASSERT_EQ(shown_texts(), QStringList{"姓名或手机不能为空，请重新编辑后再添加！"});
        EXPECT_EQ(ui::presenter::shown().front().buttons, ui::Buttons::ok);
        EXPECT_EQ(ui::presenter::shown().front().icon, ui::Icon::information);
        EXPECT_EQ(ui::presenter::shown().front().title, "温馨提示-Tarnwick");  // the program's own title
        EXPECT_EQ(ui::focused_control(kAdd), kName);
        EXPECT_EQ(ui::text(kAdd, kName), name);
        EXPECT_EQ(ui::text(kAdd, kPhone), phone);
        EXPECT_EQ(ui::text(kAdd, kDept), "物理系");
    }
    EXPECT_TRUE(stored().empty());
}

TEST_F(MemberAdd, AddsRowsAsTypedAndEmptiesTheForm)
{
    create_database();
    open_window(kAdd);
    EXPECT_TRUE(ui::is_checked(kAdd, "单选框1"));

    fill("  ", "-", "", "");  // blanks are a name; empty boxes store empty text, not NULL
    press_add();
    EXPECT_EQ(shown_texts(), QStringList{"恭喜您，成员添加成功！"});
    EXPECT_EQ(ui::focused_control(kAdd), kName);
    for (const QString& box : {kName, kPhone, kDept, kNumber}) EXPECT_EQ(ui::text(kAdd, box), "");

    // Pressing again at once finds the form empty.
    press_add();
    EXPECT_EQ(shown_texts(), QStringList{"姓名或手机不能为空，请重新编辑后再添加！"});

    click(kAdd, "单选框2");
    EXPECT_FALSE(ui::is_checked(kAdd, "单选框1"));
    for (int i = 0; i < 2; ++i) {  // the same member twice gives two rows; the choice survives
        fill("李四", "13800001111", "化学系", "2023-01");
        press_add();
        EXPECT_EQ(shown_texts(), QStringList{"恭喜您，成员添加成功！"});
        EXPECT_TRUE(ui::is_checked(kAdd, "单选框2"));
    }

    const std::vector<std::string> expected = {"  |-||男||~", "李四|13800001111|化学系|女|2023-01|~",
                                               "李四|13800001111|化学系|女|2023-01|~"};
    EXPECT_EQ(stored(), expected);
}

TEST_F(MemberAdd, QuotesAndSqlInTypedTextAreStoredUnchanged)
{
    create_database();
    open_window(kAdd);
    const std::vector<QString> names = {"O'Neil", "x'); delete from causer; --", "'"};
    for (const QString& name : names) {
        fill(name, "1", "a'b", "");
        press_add();
        EXPECT_EQ(shown_texts(), QStringList{"恭喜您，成员添加成功！"}) << name.toStdString();
    }
    std::vector<std::string> expected;
    for (const QString& name : names) expected.push_back(name.toStdString() + "|1|a'b|男||~");
    EXPECT_EQ(stored(), expected);
}

TEST_F(MemberAdd, MissingTableGivesEngineErrorThenFailureAndAnEmptyList)
{
    create_database();
    open_window(kAdd);
    run("drop table causer");
    fill("王五", "139", "数学系", "9");
    press_add();
    const auto shown = ui::presenter::shown();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0].title, ui::kDefaultTitle);
    EXPECT_EQ(shown[0].buttons, ui::Buttons::ok);
    EXPECT_EQ(shown[0].icon, ui::Icon::none);
    EXPECT_EQ(shown[1].text, "很抱歉，成员添加失败，请检查资料是否填写正确！");
    EXPECT_EQ(shown[1].buttons, ui::Buttons::ok);
    EXPECT_EQ(shown[1].icon, ui::Icon::information);
    EXPECT_EQ(ui::text(kAdd, kName), "王五");
    EXPECT_EQ(ui::text(kAdd, kNumber), "9");
    EXPECT_EQ(ui::focused_control(kAdd), "按钮添加成员");  // where the click put it

    // The list shows the engine's error alone and stays open, empty.
    ui::presenter::clear();
    open_window(kList);
    ASSERT_EQ(ui::presenter::shown().size(), 1);
    EXPECT_EQ(ui::presenter::shown().front().title, ui::kDefaultTitle);
    EXPECT_TRUE(ui::is_window_open(kList));
    EXPECT_EQ(ui::row_count(kList, kTable), 0);
}

TEST_F(MemberList, ClosedWhileTheEngineErrorIsShownLeavesQuietly)
{
    create_database();
    run("insert into causer (name) values ('张三')");
    run("alter table causer rename to causer_gone");
    ui::presenter::set_while_open([](const ui::ShownMessage&) { close_window(kList); });
    ASSERT_TRUE(ui::load_window(kList, ""));
    ui::presenter::set_while_open(nullptr);
    QCoreApplication::processEvents();
    EXPECT_EQ(ui::presenter::shown().size(), 1);
    EXPECT_FALSE(ui::is_window_open(kList));
}

TEST_F(MemberAdd, TypingRulesOfTheBoxes)
{
    create_database();
    open_window(kAdd);
    struct Case {
        QString box;
        QString typed;
        QString kept;
    };
    const std::vector<Case> cases = {
        {kPhone, "12a3-b45678901234", "123-4567890"},  // digits and "-" only, 11 at most
        {kNumber, "x-1y2", "-12"},
        {kName, "欧阳娜娜娜娜", "欧阳娜娜娜"},  // 10 GBK bytes
        {kDept, "a'b c", "a'b c"},
    };
    for (const Case& c : cases) {
        ui::set_text(kAdd, c.box, "");
        ui::set_focus(kAdd, c.box);
        // One key event per character, as a keyboard or input method delivers them.
        for (QChar ch : c.typed) {
            QTest::sendKeyEvent(QTest::Click, ui::control_widget(kAdd, c.box), Qt::Key_unknown, QString(ch),
                                Qt::NoModifier);
        }
        EXPECT_EQ(ui::text(kAdd, c.box), c.kept) << c.box.toStdString();
    }
}

TEST_F(MemberAdd, FailedConnectionTellsTheUserAndClosesEachWindow)
{
    const std::vector<ui::ShownMessage> expected = {
        {"温馨提示-Tarnwick", "与数据库连接失败，无法添加成员！", ui::Buttons::ok, ui::Icon::stop,
         ui::Answer::ok},
        {"数据库错误", "抱歉，与数据库通信失败，无法为您打开成员列表！", ui::Buttons::ok, ui::Icon::warning,
         ui::Answer::ok}};
    // First without a database file, then with a wrong password.
    for (const char* password : {"社团密钥", "wrong"}) {
        app::state().database_password = password;
        for (int w = 0; w < 2; ++w) {
            const QString window = w == 0 ? kAdd : kList;
            ui::presenter::clear();
            ASSERT_TRUE(ui::load_window(window, ""));
            ASSERT_EQ(ui::presenter::shown().size(), 1);
            const auto box = ui::presenter::shown().front();
            EXPECT_EQ(box.text, expected[w].text);
            EXPECT_EQ(box.title, expected[w].title);
            EXPECT_EQ(box.buttons, expected[w].buttons);
            EXPECT_EQ(box.icon, expected[w].icon);
            QCoreApplication::processEvents();
            EXPECT_FALSE(ui::is_window_open(window)) << password << window.toStdString();
        }
        if (!QFile::exists(QString::fromStdString(database_file()))) create_database();
    }
}

TEST_F(MemberList, ShowsEveryRowInColumnOrderWithNullsAsEmptyCells)
{
    create_database();
    run("insert into causer (name,phonenum,class,sex,xuehao,otherinfo) values (?,?,?,?,?,?)",
        {std::string("张三"), std::string("138"), std::string("物理系"), std::string("男"), std::string("01"),
         std::string("班长")});
    run("insert into causer (name) values ('赵六')");
    open_window(kList);
    EXPECT_TRUE(ui::presenter::shown().isEmpty());
    ASSERT_EQ(ui::row_count(kList, kTable), 2);
    EXPECT_EQ(list_row(0), (QStringList{"张三", "138", "01", "男", "物理系", "班长"}));
    EXPECT_EQ(list_row(1), (QStringList{"赵六", "", "", "", "", ""}));
}

TEST_F(MemberList, IsASnapshotUntilReopened)
{
    create_database();
    open_window(kList);
    EXPECT_EQ(ui::row_count(kList, kTable), 0);
    EXPECT_TRUE(ui::presenter::shown().isEmpty());

    open_window(kAdd);
    fill("新人", "1", "", "");
    press_add();
    open_window(kList);  // brought forward, not read again
    EXPECT_EQ(ui::row_count(kList, kTable), 0);

    close_window(kList);
    open_window(kList);
    ASSERT_EQ(ui::row_count(kList, kTable), 1);
    EXPECT_EQ(ui::cell_text(kList, kTable, 0, 0), "新人");
}

}  // namespace
