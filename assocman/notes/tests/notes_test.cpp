// The notes window driven through its real widgets, headless, against a real
// keyed database in a temporary program folder.
#include "assocman/notes/notes.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QFile>
#include <QListWidget>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
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
#include "tests/support/wait_until.h"

namespace {

using assocman_testing::shown_texts;

const QString kWin = "notes";
const QString kList = "列表框问题列表";
const QString kTitle = "编辑框输入标题";
const QString kBody = "编辑框输入内容";
const QString kCategory = "组合框1";
const QString kShownTitle = "透明标签问题标题";
const QString kShownCategory = "透明标签问题分类";
const QString kShownTime = "透明标签问题时间";
const QString kShownBody = "编辑框问题内容";
const std::string kPassword = "pw";

using Text = std::optional<std::string>;
struct Note {
    Text title, category, body, time;
};

class NotesWindow : public assocman_testing::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        if (HasFatalFailure()) return;
        app::state().association_name = "星火社";
        set_database_key(kPassword);
        notes::register_notes_handlers();
        ASSERT_NO_FATAL_FAILURE(assocman_testing::add_form(kWin));
    }

    void make_database(const std::vector<Note>& notes)
    {
        ASSERT_NO_FATAL_FAILURE(create_database());
        const auto param = [](const Text& t) { return t ? db::Param{*t} : db::Param{}; };
        for (const Note& n : notes) {
            run("insert into ketang (title, class, text, time) values (?, ?, ?, ?)",
                {param(n.title), param(n.category), param(n.body), param(n.time)});
        }
    }

    // What the table holds as "title|category|body", in storage order; NULL
    // shows as "<null>".
    std::vector<std::string> stored()
    {
        return column(
            "select coalesce(title, '<null>') || '|' || coalesce(class, '<null>') || '|' ||"
            " coalesce(text, '<null>') r from ketang order by rowid");
    }

    void open() { open_window(kWin); }

    QListWidget* list() { return qobject_cast<QListWidget*>(ui::control_widget(kWin, kList)); }

    QStringList items()
    {
        QStringList out;
        for (int i = 0; i < ui::item_count(kWin, kList); ++i) out << ui::item_text(kWin, kList, i);
        return out;
    }

    void pick(int row)
    {
        QListWidget* l = list();
        ASSERT_NE(l, nullptr);
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(l->item(row)).center());
        QCoreApplication::processEvents();
    }

    // `answer` is what the first box shown by the click returns.
    void click(const QString& button, ui::Answer answer = ui::Answer::ok)
    {
        ui::presenter::clear();
        ui::presenter::set_next_answer(answer);
        WindowTest::click(kWin, button);
    }

    // Clicks `button` and answers the real message box it opens the way a
    // user does: Enter, pressed where the box has the keyboard. Returns the
    // box's question (empty when no box came). A box that Enter does not
    // close is closed at the deadline with its Esc answer, so the test fails
    // instead of hanging.
    QString click_and_press_enter_on_the_box(const QString& button)
    {
        ui::presenter::set_scripted(false);
        QString asked;
        bool pressed = false;
        const QDeadlineTimer deadline(test_support::kWaitTimeout);
        QTimer user;
        QObject::connect(&user, &QTimer::timeout, [&] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(top);
                if (!box || !box->isVisible()) continue;
                if (!pressed) {
                    pressed = true;
                    asked = box->text();
                    QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Return);
                } else if (deadline.hasExpired()) {
                    box->reject();
                }
                return;
            }
        });
        user.start(5);
        QTest::mouseClick(ui::control_widget(kWin, button), Qt::LeftButton);
        user.stop();
        ui::presenter::set_scripted(true);
        QCoreApplication::processEvents();
        return asked;
    }

    void submit(const QString& title, const QString& body, int category = 0)
    {
        ui::set_text(kWin, kTitle, title);
        ui::set_text(kWin, kBody, body);
        ui::set_current_index(kWin, kCategory, category);
        click("按钮问题提交");
    }

    QStringList shown_note()
    {
        return {ui::text(kWin, kShownTitle), ui::text(kWin, kShownCategory), ui::text(kWin, kShownTime),
                ui::text(kWin, kShownBody)};
    }
};

TEST_F(NotesWindow, OpeningSetsCaptionListsTitlesInStoredOrderAndEmptiesFields)
{
    make_database({{"乙", "课程问题记录", "b", {}}, {"甲", {}, "a", {}}, {{}, {}, "c", {}}});
    for (const auto& [association, caption] : std::vector<std::pair<QString, QString>>{
             {"星火社", "星火社-课堂问题与记录"}, {"", "-课堂问题与记录"}}) {
        app::state().association_name = association;
        open();
        EXPECT_EQ(ui::caption(kWin), caption);
        EXPECT_EQ(items(), (QStringList{"乙", "甲", ""}));
        EXPECT_EQ(ui::current_index(kWin, kList), -1);
        EXPECT_EQ(shown_note(), (QStringList{"", "", "", ""}));
        EXPECT_EQ(ui::item_count(kWin, kCategory), 5);
        EXPECT_EQ(ui::item_text(kWin, kCategory, ui::current_index(kWin, kCategory)), "会员课堂提问");
        EXPECT_EQ(ui::current_xp_style(), 2);
        EXPECT_TRUE(shown_texts().isEmpty());
        close_window(kWin);
    }
}

TEST_F(NotesWindow, PickingATitleShowsTheNoteWithItsTimeDownToTheLastNonZeroPart)
{
    make_database({{"零点", "会员课堂提问", "正文0", "2024-03-05 00:00:00"},
                   {"整点", "课程问题记录", "正文1\r\n第二行", "2024-03-05 14:00:00"},
                   {"分钟", {}, "正文2", "2024-03-05 14:05:00"},
                   {"秒钟", "其他问题记录", "正文3", "2024-12-31 14:00:09"},
                   {"无时间", "协会发展建议", "正文4", {}}});
    open();
    const std::vector<QStringList> expected = {
        {"零点", "会员课堂提问", "2024年3月5日", "正文0"},
        {"整点", "课程问题记录", "2024年3月5日14时", "正文1\r\n第二行"},
        {"分钟", "", "2024年3月5日14时5分", "正文2"},
        {"秒钟", "其他问题记录", "2024年12月31日14时0分9秒", "正文3"},
        {"无时间", "协会发展建议", "1899年12月30日", "正文4"},
    };
    for (int row = 0; row < static_cast<int>(expected.size()); ++row) {
        pick(row);
        EXPECT_EQ(shown_note(), expected[row]) << row;
    }
}

TEST_F(NotesWindow, SubmitRefusesMissingAndDuplicateNotesKeepingTheInput)
{
    make_database({{"Title", "课程问题记录", "Body", {}}});
    open();
    const struct {
        QString title, body, message;
    } cases[] = {
        {"", "x", "标题和内容为必填项！请重新输入！"},
        {"x", "", "标题和内容为必填项！请重新输入！"},
        {"Title", "another body", "本条记录已提交！请不要重复记录！"},
        {"another title", "Body", "本条记录已提交！请不要重复记录！"},
    };
    for (const auto& c : cases) {
        submit(c.title, c.body, 2);
        ASSERT_EQ(ui::presenter::shown().size(), 1) << c.title.toStdString();
        EXPECT_EQ(ui::presenter::shown().front().text, c.message);
        EXPECT_EQ(ui::presenter::shown().front().title, app::kTipTitle);
        EXPECT_EQ(ui::presenter::shown().front().buttons, ui::Buttons::ok);
        EXPECT_EQ(ui::presenter::shown().front().icon, ui::Icon::information);
        EXPECT_EQ(ui::text(kWin, kTitle), c.title);
        EXPECT_EQ(ui::text(kWin, kBody), c.body);
        EXPECT_EQ(ui::current_index(kWin, kCategory), 2);
    }
    EXPECT_EQ(stored().size(), 1u);
    EXPECT_EQ(items(), QStringList{"Title"});
}

TEST_F(NotesWindow, SubmitStoresNearMissesExactlyAndResetsTheInput)
{
    make_database({{"Title", "课程问题记录", "Body", {}}});
    open();
    const struct {
        QString title, body;
        int category;
        std::string row;
    } cases[] = {
        {"title", "case differs", 1, "title|课程问题记录|case differs"},
        {"Title ", "trailing blank", 4, "Title |其他问题记录|trailing blank"},
        {"   ", "  ", 0, "   |会员课堂提问|  "},
        {"it's'); drop table ketang;--", "引号'内容\r\n第二行", 3,
         "it's'); drop table ketang;--|课程安排计划|引号'内容\r\n第二行"},
        {"无分类", "正文", -1, "无分类|<null>|正文"},
    };
    auto expected = stored();
    QStringList titles = items();
    for (const auto& c : cases) {
        submit(c.title, c.body, c.category);
        EXPECT_EQ(shown_texts(), QStringList{"恭喜您！数据添加成功！"}) << c.title.toStdString();
        expected.push_back(c.row);
        titles << c.title;
        EXPECT_EQ(stored(), expected);
        EXPECT_EQ(items(), titles);
        EXPECT_EQ(ui::text(kWin, kTitle), "");
        EXPECT_EQ(ui::text(kWin, kBody), "");
        EXPECT_EQ(ui::item_text(kWin, kCategory, ui::current_index(kWin, kCategory)), "会员课堂提问");
    }
}

TEST_F(NotesWindow, ANoteSubmittedNowCanBeShownRefusedAgainAndDeleted)
{
    make_database({{"旧", "会员课堂提问", "旧内容", {}}});
    open();
    pick(0);
    submit("新问题", "新内容", 3);
    EXPECT_EQ(ui::text(kWin, kShownTitle), "旧");  // the left half is left alone
    EXPECT_EQ(ui::current_index(kWin, kList), 0);

    pick(1);
    EXPECT_EQ(ui::text(kWin, kShownTitle), "新问题");
    EXPECT_EQ(ui::text(kWin, kShownCategory), "课程安排计划");
    EXPECT_EQ(ui::text(kWin, kShownBody), "新内容");
    EXPECT_FALSE(ui::text(kWin, kShownTime).isEmpty());  // the column's default

    submit("新问题", "别的内容");
    EXPECT_EQ(shown_texts(), QStringList{"本条记录已提交！请不要重复记录！"});

    pick(1);
    click("按钮1");
    EXPECT_EQ(items(), QStringList{"旧"});
    EXPECT_EQ(stored(), std::vector<std::string>{"旧|会员课堂提问|旧内容"});
}

TEST_F(NotesWindow, DeleteAsksFirstAndRemovesTheFirstRowWithTheSelectedTitle)
{
    make_database({{"A", {}, "a1", {}}, {"B", {}, "b", {}}, {"A", {}, "a2", {}}});
    open();
    pick(2);
    EXPECT_EQ(ui::text(kWin, kShownBody), "a1");  // the first "A" row answers for both items

    click("按钮1", ui::Answer::cancel);
    ASSERT_EQ(ui::presenter::shown().size(), 1);
    const ui::ShownMessage box = ui::presenter::shown().front();
    EXPECT_EQ(box.text, "确定要删除该记录吗？");
    EXPECT_EQ(box.title, "Selbrac-温馨提示");
    EXPECT_EQ(box.buttons, ui::Buttons::ok_cancel);
    EXPECT_EQ(box.icon, ui::Icon::question);
    EXPECT_EQ(stored().size(), 3u);
    EXPECT_EQ(items(), (QStringList{"A", "B", "A"}));

    click("按钮1");
    EXPECT_EQ(shown_texts(), QStringList{"确定要删除该记录吗？"});
    EXPECT_EQ(items(), (QStringList{"A", "B"}));
    EXPECT_EQ(ui::current_index(kWin, kList), -1);
    EXPECT_EQ(shown_note(), (QStringList{"", "", "", ""}));
    EXPECT_EQ(stored(), (std::vector<std::string>{"B|<null>|b", "A|<null>|a2"}));

    // On the real box Enter answers OK: the question's default button.
    pick(1);
    EXPECT_EQ(click_and_press_enter_on_the_box("按钮1"), "确定要删除该记录吗？");
    EXPECT_EQ(items(), QStringList{"A"});
    EXPECT_EQ(stored(), std::vector<std::string>{"A|<null>|a2"});
}

TEST_F(NotesWindow, DeleteWithoutSelectionAsksButDeletesNothing)
{
    for (const std::vector<Note>& notes :
         {std::vector<Note>{}, std::vector<Note>{{{}, {}, "untitled", {}}}}) {
        close_window(kWin);
        QFile::remove(QString::fromStdString(database_file()));
        make_database(notes);
        open();
        click("按钮1");
        EXPECT_EQ(shown_texts(), QStringList{"确定要删除该记录吗？"});
        EXPECT_EQ(stored().size(), notes.size());
        EXPECT_EQ(ui::item_count(kWin, kList), static_cast<int>(notes.size()));
    }
}

TEST_F(NotesWindow, FailedWritesAreReportedAndLoseNothing)
{
    make_database({{"A", {}, "a", {}}});
    open();
    run("alter table ketang rename to ketang_gone");

    submit("新", "内容", 2);
    EXPECT_EQ(shown_texts(), QStringList{"抱歉，数据添加失败！请稍后重新提交！"});
    EXPECT_EQ(ui::presenter::shown().front().buttons, ui::Buttons::ok);
    EXPECT_EQ(ui::presenter::shown().front().icon, ui::Icon::stop);
    EXPECT_EQ(ui::text(kWin, kTitle), "新");
    EXPECT_EQ(ui::text(kWin, kBody), "内容");
    EXPECT_EQ(ui::current_index(kWin, kCategory), 2);
    EXPECT_EQ(items(), QStringList{"A"});

    pick(0);
    EXPECT_EQ(ui::text(kWin, kShownBody), "a");  // the unsaved row did not stall the scan
    click("按钮1");
    EXPECT_EQ(shown_texts(), (QStringList{"确定要删除该记录吗？", "抱歉，记录删除失败！请稍后重试！"}));
    EXPECT_EQ(items(), QStringList{"A"});

    run("alter table ketang_gone rename to ketang");
    submit("新", "内容", 2);
    EXPECT_EQ(shown_texts(), QStringList{"恭喜您！数据添加成功！"});
    EXPECT_EQ(stored().size(), 2u);
}

TEST_F(NotesWindow, UnreachableDatabaseGivesAnEmptyWindowThatNeverClaimsSuccess)
{
    open();  // no database file at all
    EXPECT_TRUE(ui::is_window_open(kWin));
    EXPECT_EQ(ui::item_count(kWin, kList), 0);
    ASSERT_EQ(ui::presenter::shown().size(), 1);  // the engine's text, from the record set
    EXPECT_EQ(ui::presenter::shown().front().buttons, ui::Buttons::ok);
    EXPECT_EQ(ui::presenter::shown().front().icon, ui::Icon::none);
    submit("新", "内容");
    EXPECT_EQ(shown_texts(), QStringList{"抱歉，数据添加失败！请稍后重新提交！"});
}

}  // namespace
