#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QStyle>
#include <QTableView>
#include <QTemporaryDir>

#include "platform/db/db.h"
#include "platform/ui/testing.h"
#include "platform/ui/tests/test_support.h"
#include "tests/support/wait_until.h"

namespace ui::testing {
namespace {

const QString W = QStringLiteral("w");

class UiControls : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        for (const char* h :
             {"w.select", "w.combo", "w.left", "w.right", "w.tick", "w.radio", "w.open", "w.close"}) {
            record(QString::fromLatin1(h));
        }
        describe(R"({"window":"w","size":[400,300],"controls":[
            {"name":"整数","type":"EditBox","rect":[0,0,100,20],"mode":"integer","tab_stop":true},
            {"name":"限长","type":"EditBox","rect":[0,25,100,20],"max_length":10,"tab_stop":true},
            {"name":"密码","type":"EditBox","rect":[0,50,100,20],"mode":"password"},
            {"name":"多行","type":"EditBox","rect":[0,75,100,40],"multiline":true,"max_length":6},
            {"name":"只读","type":"EditBox","rect":[0,120,100,20],"mode":"readonly","text":"固定"},
            {"name":"列表","type":"ListBox","rect":[110,0,100,80],"events":{"on_selection_changed":"w.select"}},
            {"name":"组合","type":"ComboBox","rect":[110,90,100,120],"events":{"on_selection_changed":"w.combo"}},
            {"name":"表格","type":"ListView","rect":[220,0,170,100],"full_row_select":true,
             "columns":[{"title":"城  市","width":70,"align":"left"},{"title":"邮编","width":90,"align":"center"},
                        {"title":"备注","width":40}]},
            {"name":"打开","type":"Button","rect":[220,120,50,20],"events":{"on_click":"w.open"}},
            {"name":"关闭","type":"Button","rect":[280,120,50,20],"events":{"on_click":"w.close"}},
            {"name":"连接","type":"DBConnection"},{"name":"记录","type":"RecordSet"},
            {"name":"左","type":"RadioBox","rect":[0,150,40,20],"checked":true,"events":{"on_click":"w.radio"}},
            {"name":"右","type":"RadioBox","rect":[50,150,40,20]},
            {"name":"标签","type":"TransLabel","rect":[0,180,100,20],"text":"说明",
             "events":{"on_left_button_down":"w.left","on_right_button_up":"w.right"}},
            {"name":"时钟","type":"Timer","interval":0,"events":{"on_tick":"w.tick"}},
            {"name":"托盘","type":"TrayIcon","tip":"双击图标！"}]})");
        ASSERT_TRUE(load_window(W));
        QWidget* w = window_widget(W);
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    }
    QWidget* widget(const char* name) { return control_widget(W, QString::fromUtf8(name)); }
    void type(const char* box, const QString& keys)
    {
        set_focus(W, QString::fromUtf8(box));
        type_into(widget(box), keys);
    }
};

TEST_F(UiControls, AnIntegerBoxRefusesTypedCharactersOtherThanDigitsAndMinus)
{
    type("整数", QStringLiteral("a1-b2 x3中"));
    EXPECT_EQ(text(W, QStringLiteral("整数")), QStringLiteral("1-23"));
    QTest::keyClick(widget("整数"), Qt::Key_Backspace);
    QTest::keyClick(widget("整数"), Qt::Key_Home);
    QTest::keyClick(widget("整数"), Qt::Key_Delete);
    EXPECT_EQ(text(W, QStringLiteral("整数")), QStringLiteral("-2"));
    // Texts the program sets are not filtered.
    set_text(W, QStringLiteral("整数"), QStringLiteral("abc"));
    EXPECT_EQ(text(W, QStringLiteral("整数")), QStringLiteral("abc"));
}

TEST_F(UiControls, MaximumLengthCountsGbkBytesOfWhatTheUserTypes)
{
    const struct {
        const char* typed;
        const char* kept;
    } cases[] = {
        {"一二三四五六", "一二三四五"},  // five Chinese characters fill ten bytes
        {"abcdefghijk", "abcdefghij"},
        {"abcdefghi一", "abcdefghi"},  // one byte left is no room for two
        {"一a二b三c四", "一a二b三c"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        set_text(W, QStringLiteral("限长"), QString());
        type("限长", QString::fromUtf8(c.typed));
        EXPECT_EQ(text(W, QStringLiteral("限长")), QString::fromUtf8(c.kept));
    }
}

TEST_F(UiControls, MaximumLengthCountsACharacterWithoutAGbkCodeAsTheFourBytesOnDisk)
{
    // The file gets the four-byte replacement code for a private-use
    // character that the GB18030 table has no code for, so the box must not
    // take it as two.
    type("限长", QString::fromUtf8("一二\uE78D\uE78D"));
    EXPECT_EQ(text(W, QStringLiteral("限长")), QString::fromUtf8("一二\uE78D"));
}

TEST_F(UiControls, APasteIsCutToWhatFits)
{
    QApplication::clipboard()->setText(QStringLiteral("一二三四五六七"));
    set_text(W, QStringLiteral("限长"), QStringLiteral("ab"));
    set_focus(W, QStringLiteral("限长"));
    QTest::keyClick(widget("限长"), Qt::Key_End);
    QTest::keyClick(widget("限长"), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(text(W, QStringLiteral("限长")), QStringLiteral("ab一二三四"));
}

TEST_F(UiControls, ATextSetByTheProgramIsShownWholeAndCanBeShortened)
{
    const QString longer = QStringLiteral("一二三四五六七");
    set_text(W, QStringLiteral("限长"), longer);
    EXPECT_EQ(text(W, QStringLiteral("限长")), longer);
    set_focus(W, QStringLiteral("限长"));
    QTest::keyClick(widget("限长"), Qt::Key_End);
    QTest::keyClicks(widget("限长"), QStringLiteral("x"));
    EXPECT_EQ(text(W, QStringLiteral("限长")), longer);
    QTest::keyClick(widget("限长"), Qt::Key_Backspace);
    EXPECT_EQ(text(W, QStringLiteral("限长")), QStringLiteral("一二三四五六"));
}

TEST_F(UiControls, AMultiLineBoxCountsALineBreakAsTwoBytes)
{
    type("多行", QStringLiteral("ab"));
    QTest::keyClick(widget("多行"), Qt::Key_Return);
    type_into(widget("多行"), QStringLiteral("c一d"));
    EXPECT_EQ(text(W, QStringLiteral("多行")), QStringLiteral("ab\r\ncd"));
    set_text(W, QStringLiteral("多行"), QStringLiteral("x\r\ny"));
    EXPECT_EQ(text(W, QStringLiteral("多行")), QStringLiteral("x\r\ny"));
}

TEST_F(UiControls, ThePasswordMaskIsAStar)
{
    type("密码", QStringLiteral("abc"));
    auto* edit = qobject_cast<QLineEdit*>(widget("密码"));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->displayText(), QStringLiteral("***"));
    EXPECT_EQ(text(W, QStringLiteral("密码")), QStringLiteral("abc"));
    apply_xp_style(2);  // the skin keeps the mask
    EXPECT_EQ(edit->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, edit), '*');
}

TEST_F(UiControls, EditModesCanChangeWhileTheWindowIsOpen)
{
    type("只读", QStringLiteral("x"));
    EXPECT_EQ(text(W, QStringLiteral("只读")), QStringLiteral("固定"));
    set_edit_mode(W, QStringLiteral("只读"), QStringLiteral("integer"));
    EXPECT_EQ(edit_mode(W, QStringLiteral("只读")), QStringLiteral("integer"));
    QTest::keyClick(widget("只读"), Qt::Key_End);
    QTest::keyClicks(widget("只读"), QStringLiteral("x7"));
    EXPECT_EQ(text(W, QStringLiteral("只读")), QStringLiteral("固定7"));
    set_edit_mode(W, QStringLiteral("只读"), QStringLiteral("readonly"));
    QTest::keyClicks(widget("只读"), QStringLiteral("8"));
    EXPECT_EQ(text(W, QStringLiteral("只读")), QStringLiteral("固定7"));
    set_edit_mode(W, QStringLiteral("只读"), QStringLiteral("bogus"));
    EXPECT_EQ(edit_mode(W, QStringLiteral("只读")), QStringLiteral("readonly"));
}

TEST_F(UiControls, ListBoxSelectionChangedFiresForTheUserOnly)
{
    const QString L = QStringLiteral("列表");
    for (const char* item : {"甲", "乙", "丙"}) add_item(W, L, QString::fromUtf8(item));
    set_current_index(W, L, 1);
    EXPECT_EQ(current_index(W, L), 1);
    EXPECT_EQ(count("w.select"), 0);

    auto* list = qobject_cast<QListWidget*>(widget("列表"));
    ASSERT_NE(list, nullptr);
    const QRect third = list->visualItemRect(list->item(2));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, third.center());
    EXPECT_EQ(count("w.select"), 1);
    EXPECT_EQ(current_index(W, L), 2);

    remove_item(W, L, 2);
    remove_item(W, L, 9);
    EXPECT_EQ(item_count(W, L), 2);
    EXPECT_EQ(current_index(W, L), -1);
    set_current_index(W, L, 7);
    EXPECT_EQ(current_index(W, L), -1);
    EXPECT_EQ(item_text(W, L, 1), QStringLiteral("乙"));
    EXPECT_EQ(item_text(W, L, 2), QString());
    EXPECT_EQ(item_text(W, L, -1), QString());
    clear_items(W, L);
    EXPECT_EQ(item_count(W, L), 0);
    EXPECT_EQ(count("w.select"), 1);
}

TEST_F(UiControls, ComboBoxKeepsNoSelectionUntilToldAndFiresForTheUserOnly)
{
    const QString C = QStringLiteral("组合");
    add_item(W, C, QStringLiteral("第一项"));
    add_item(W, C, QStringLiteral("第二项"));
    EXPECT_EQ(current_index(W, C), -1);
    set_current_index(W, C, 0);
    EXPECT_EQ(current_index(W, C), 0);
    EXPECT_EQ(count("w.combo"), 0);
    set_focus(W, C);
    QTest::keyClick(widget("组合"), Qt::Key_Down);
    EXPECT_EQ(current_index(W, C), 1);
    EXPECT_EQ(count("w.combo"), 1);
    // The drop-down's described height includes its list.
    EXPECT_LT(widget("组合")->height(), 120);
}

TEST_F(UiControls, ListViewRowsKeepTheirOrderAndColumnAlignment)
{
    const QString T = QStringLiteral("表格");
    add_row(W, T, {QStringLiteral("张三"), QStringLiteral("13800000000")});
    add_row(W, T, {QStringLiteral("李四")});
    EXPECT_EQ(row_count(W, T), 2);
    EXPECT_EQ(cell_text(W, T, 0, 1), QStringLiteral("13800000000"));
    EXPECT_EQ(cell_text(W, T, 1, 0), QStringLiteral("李四"));
    EXPECT_EQ(cell_text(W, T, 1, 1), QString());
    EXPECT_EQ(cell_text(W, T, 5, 0), QString());
    auto* table = qobject_cast<QTableView*>(widget("表格"));
    ASSERT_NE(table, nullptr);
    const QAbstractItemModel* model = table->model();
    EXPECT_TRUE(model->index(0, 1).data(Qt::TextAlignmentRole).toInt() & Qt::AlignHCenter);
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("城  市"));
    EXPECT_EQ(table->columnWidth(1), 90);
    clear_rows(W, T);
    EXPECT_EQ(row_count(W, T), 0);
}

TEST_F(UiControls, AListFollowsItsRecordSetAfterEachHandlerAndNeverReadsItOnceFreed)
{
    QPointer<QTableView> view = qobject_cast<QTableView*>(widget("表格"));
    ASSERT_NE(view, nullptr);
    db::Connection* connection = ui::connection(W, QStringLiteral("连接"));
    db::RecordSet* set = ui::recordset(W, QStringLiteral("记录"));
    std::string statement;  // what the button opens the set on; empty closes the connection
    int rows_left_with_the_window = -1;
    register_handler(QStringLiteral("w.open"), [&] {
        if (statement.empty()) return db::db_close(*connection);
        ASSERT_TRUE(db::recordset_open(*set, statement, db::Source::sql));
    });
    register_handler(QStringLiteral("w.close"), [&] {
        // The window goes while this handler waits; its widgets stay until
        // the handler is done, its units do not. The wait is the handler's
        // own, as a program's handler waits, not a test's guess.
        destroy_window_or_unit(W);
        wait_processing_events(30);
        ASSERT_TRUE(view);
        rows_left_with_the_window = view->model()->rowCount();
        view->grab();
    });
    QTemporaryDir dir;
    const std::string file = (dir.path() + QStringLiteral("/list.db")).toStdString();
    ASSERT_TRUE(db::create_keyed_database(file, "k", "create table t (x TEXT)", nullptr));
    ASSERT_TRUE(db::db_connect_access(*connection, file, "k"));
    db::recordset_set_connection(*set, *connection);
    // What the view lays out and draws: its own row count and the cells it asks for.
    const auto shown = [&] {
        QStringList rows;
        for (int r = 0; r < view->verticalHeader()->count(); ++r) {
            QStringList cells;
            for (int c = 0; c < 3; ++c) cells << view->model()->index(r, c).data().toString();
            rows << cells.join('|');
        }
        return rows.join(';').toStdString();
    };
    const auto press = [&](const char* button, std::string sql = {}) {
        statement = std::move(sql);
        QTest::mouseClick(widget(button), Qt::LeftButton);
    };

    press("打开", "select 'a' as x, 'b' as y");
    show_recordset_rows(W, QStringLiteral("表格"), QStringLiteral("记录"),
                        {QStringLiteral("x"), QStringLiteral("Y"), QStringLiteral("z")});
    EXPECT_EQ(shown(), "a|b|");  // a field the set lacks is empty
    press("打开", "select 'a' as x, 'b' as y union all select '张三', null union all select 'c', 'd'");
    EXPECT_EQ(shown(), "a|b|;张三||;c|d|");  // NULL is empty
    press("打开", "select 'e' as x, 'f' as y");
    EXPECT_EQ(shown(), "e|f|");
    press("打开");  // closing the connection closes the set
    EXPECT_EQ(shown(), "");
    press("关闭");
    EXPECT_EQ(rows_left_with_the_window, 0);
    settle();
}

TEST_F(UiControls, RadioBoxesFormOneGroupThatTheProgramCanClear)
{
    QTest::mouseClick(widget("右"), Qt::LeftButton);
    EXPECT_TRUE(is_checked(W, QStringLiteral("右")));
    EXPECT_FALSE(is_checked(W, QStringLiteral("左")));
    set_checked(W, QStringLiteral("右"), false);
    EXPECT_FALSE(is_checked(W, QStringLiteral("右")));
    EXPECT_FALSE(is_checked(W, QStringLiteral("左")));
    set_checked(W, QStringLiteral("左"), true);
    EXPECT_TRUE(is_checked(W, QStringLiteral("左")));
    EXPECT_EQ(count("w.radio"), 0);  // only a click fires
    QTest::mouseClick(widget("左"), Qt::LeftButton);
    EXPECT_EQ(count("w.radio"), 1);
}

TEST_F(UiControls, LabelMouseEventsAndCaption)
{
    QTest::mousePress(widget("标签"), Qt::LeftButton);
    QTest::mouseRelease(widget("标签"), Qt::LeftButton);
    QTest::mousePress(widget("标签"), Qt::RightButton);
    QTest::mouseRelease(widget("标签"), Qt::RightButton);
    EXPECT_EQ(calls, (std::vector<QString>{"w.left", "w.right"}));
    set_text(W, QStringLiteral("标签"), QStringLiteral("张三"));
    EXPECT_EQ(text(W, QStringLiteral("标签")), QStringLiteral("张三"));
}

TEST_F(UiControls, TimerTicksWhileItHasAnIntervalAndStopsAtZero)
{
    const QString T = QStringLiteral("时钟");
    EXPECT_EQ(timer_interval(W, T), 0);
    set_timer_interval(W, T, 10);
    EXPECT_EQ(timer_interval(W, T), 10);
    EXPECT_TRUE(test_support::wait_until([this] { return count("w.tick") > 2; }));
    set_timer_interval(W, T, 0);
    const int ticks = count("w.tick");
    // Nothing to wait for: the timer must NOT tick again. Four of its periods
    // pass with the events running.
    wait_processing_events(40);
    EXPECT_EQ(count("w.tick"), ticks);
}

TEST_F(UiControls, TrayIconIsHiddenUntilShown)
{
    const QString T = QStringLiteral("托盘");
    EXPECT_FALSE(is_tray_icon_shown(W, T));
    show_tray_icon(W, T);
    EXPECT_TRUE(is_tray_icon_shown(W, T));
    hide_tray_icon(W, T);
    EXPECT_FALSE(is_tray_icon_shown(W, T));
    EXPECT_EQ(text(W, T), QStringLiteral("双击图标！"));
}

}  // namespace
}  // namespace ui::testing
