// The roll-call window driven through its real widgets, headless, against a
// real encrypted database in a temporary program folder that is also the
// current directory (where the reports go).
#include "assocman/rollcall/rollcall.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "assocman/state/state.h"
#include "assocman/testing/window_test.h"
#include "platform/db/db.h"
#include "platform/db/testing.h"
#include "platform/speech/speech.h"
#include "platform/text/gbk.h"
#include "platform/ui/message.h"
#include "platform/ui/runtime.h"
#include "platform/ui/testing.h"
#include "tests/support/wait_until.h"

// Readable failures for the texts the window shows.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace {

using assocman_testing::shown_texts;

const QString kWin = "rollcall";
const QString kLabel = "透明标签姓名";
const std::string kKey = "rollcall-key";
const QString kLast = "当前已经是最后一位成员！";

QString today_file_name()
{
    const QDate d = QDate::currentDate();
    return QString("%1年%2月%3日.txt").arg(d.year()).arg(d.month()).arg(d.day());
}

std::string report_bytes(const std::vector<std::string>& present, const std::vector<std::string>& absent)
{
    std::string text = "--------已签到会员列表--------\r\n";
    for (const auto& n : present) text += n + "\r\n";
    text += "\r\n\r\n\r\n--------本次缺席会员列表--------\r\n";
    for (const auto& n : absent) text += n + "\r\n";
    return text::to_gbk(text);
}

class RollCall : public assocman_testing::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        if (HasFatalFailure()) return;
        enter_program_folder();
        app::state().association_name = "Quillet";
        set_database_key(kKey);
        rollcall::register_rollcall_handlers();
        ASSERT_NO_FATAL_FAILURE(assocman_testing::add_form(kWin));
        ASSERT_NO_FATAL_FAILURE(create_database());
    }

    QString report_path() const { return usertext(today_file_name()); }

    void add_members(const std::vector<std::string>& names)
    {
        for (const auto& n : names) run("insert into causer (name) values (?)", {n});
    }

    // qiandao as stored, in table order: "name=mark".
    std::vector<std::string> list_rows()
    {
        return column("select name || '=' || dao as r from qiandao order by rowid");
    }

    void open() { open_window(kWin); }
    std::string report() const { return read_usertext(today_file_name()).value_or(""); }

    // P present, A absent, N next, B previous (back).
    void press(const std::string& keys)
    {
        static const std::map<char, const char*> kButtons = {
            {'P', "按钮签到"}, {'A', "按钮缺席"}, {'N', "按钮下一条"}, {'B', "按钮上一条"}};
        for (char k : keys) click(kWin, kButtons.at(k));
    }

    QString shown_name() const { return ui::text(kWin, kLabel); }

    // Another program that takes the database for writing (reads still go
    // on) until release_database(); the window's own wait for it is cut short.
    void hold_for_writing() { hold_database(kWin, "数据库连接会员点名", "begin immediate"); }
};

TEST_F(RollCall, OpeningRebuildsTheListFromEveryMemberName)
{
    // Names are bound: a quote is called like any other character.
    add_members({"张三", "O'Neil", "x'); delete from causer; --", "张三"});
    run("insert into qiandao (name, dao) values ('旧成员', 1)");
    open();
    EXPECT_EQ(ui::caption(kWin), "Quillet-电子点名系统");
    EXPECT_EQ(shown_name(), "张三");
    EXPECT_EQ(list_rows(),
              std::vector<std::string>({"张三=0", "O'Neil=0", "x'); delete from causer; --=0", "张三=0"}));
    EXPECT_TRUE(shown_texts().isEmpty());
}

// The list is replaced whole or not at all: when the old list cannot be
// cleared, or a failure ends the transaction, or the commit is refused, the
// old list and its marks stay, the user is told, no roll call starts and no
// transaction is left to keep others from writing. A member whose insert
// alone is refused is told of and left out.
TEST_F(RollCall, RebuildThatCannotReplaceTheListLeavesItAsItWas)
{
    const QString failed = "抱歉，点名名单未能生成！请稍后重试！";
    const std::vector<std::string> old_list = {"旧甲=1", "旧乙=0"};
    struct Case {
        const char* label;
        std::string trigger;  // on qiandao
        bool reader;          // another program reads, on a register beyond the page cache
        QStringList texts;    // what is shown, the engine's text after its sentence
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {"delete refused",
         "before delete on qiandao begin select raise(abort, 'kept'); end",
         false,
         {failed},
         old_list},
        {"refusal that ends the transaction",
         "before insert on qiandao when new.name = 'b' begin select raise(rollback, 'stop'); end",
         false,
         {"数据不符合数据库的约束条件，未能保存！\r\nstop", failed},
         old_list},
        {"commit refused while another program reads", "", true, {failed}, old_list},
        {"one member refused",
         "before insert on qiandao when new.name = 'b' begin select raise(abort, 'no'); end",
         false,
         {"数据不符合数据库的约束条件，未能保存！\r\nno"},
         {"a=0", "c=0"}},
    };
    add_members({"a", "b", "c"});
    // Every connection from here on, the window's included, waits 200 ms for
    // another program's lock rather than five seconds.
    db::set_connect_busy_timeout(200);
    struct FiveSecondsAgain {
        ~FiveSecondsAgain() { db::set_connect_busy_timeout(-1); }
    } five_seconds_again;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        run("drop trigger if exists t");
        run("delete from qiandao");
        run("insert into qiandao (name, dao) values ('旧甲', 1), ('旧乙', 0)");
        run("delete from causer where rowid > 3");
        if (!c.trigger.empty()) run("create trigger t " + c.trigger);
        db::Connection reader;
        db::RecordSet reader_set;
        if (c.reader) {
            run("pragma default_cache_size = 10");  // pages: a few thousand members overflow it
            run("with recursive n(i) as (select 4 union all select i + 1 from n where i < 5000) "
                "insert into causer (name) select 'm' || i from n");
            ASSERT_TRUE(connect(reader, reader_set));
            ASSERT_TRUE(db::recordset_open(reader_set, "begin", db::Source::sql));
            ASSERT_TRUE(db::recordset_open(reader_set, "select count(*) from qiandao", db::Source::sql));
        }
        ui::presenter::clear();
        ui::presenter::set_while_open([&](const ui::ShownMessage& box) {
            if (box.text != failed) return;
            hold_for_writing();
            release_database();
        });
        QElapsedTimer opening;
        opening.start();
        open();
        EXPECT_LT(opening.elapsed(), 2500) << "the rebuild waits once, not for every page";
        test_support::process_queued_events();
        EXPECT_EQ(shown_texts(), c.texts);
        const bool started = c.texts.back() != failed;
        EXPECT_EQ(ui::is_window_open(kWin), started);
        EXPECT_EQ(list_rows(), c.rows);
        if (started) {
            EXPECT_EQ(shown_name(), "a");
        }
        ui::destroy_window_or_unit(kWin);
        ASSERT_TRUE(test_support::wait_until([] { return !ui::window_widget(kWin); }));
    }
}

// A mark that cannot be saved (another program holds the database) is told
// of and stays pending on its member: the next press saves it, and closing
// the window tries once more and says so when that fails too.
TEST_F(RollCall, MarkThatCannotBeSavedStaysPendingAndIsToldOf)
{
    const QString not_saved = "抱歉，当前成员的签到结果未能保存！请稍后重试！";
    add_members({"a", "b", "c"});
    open();
    ASSERT_NO_FATAL_FAILURE(hold_for_writing());
    press("P");
    EXPECT_EQ(shown_texts(), QStringList{not_saved});
    EXPECT_EQ(ui::presenter::shown().value(0).buttons, ui::Buttons::ok);
    EXPECT_EQ(ui::presenter::shown().value(0).icon, ui::Icon::stop);
    EXPECT_EQ(shown_name(), "a");
    release_database();
    ui::presenter::clear();
    press("P");
    EXPECT_TRUE(shown_texts().isEmpty());
    EXPECT_EQ(shown_name(), "b");
    EXPECT_EQ(list_rows(), (std::vector<std::string>{"a=1", "b=0", "c=0"}));

    // Closing with a mark that still cannot be saved.
    ASSERT_NO_FATAL_FAILURE(hold_for_writing());
    press("A");
    ui::presenter::clear();
    ui::destroy_window_or_unit(kWin);
    ASSERT_TRUE(test_support::wait_until([] { return !ui::window_widget(kWin); }));
    EXPECT_EQ(shown_texts(), QStringList{"抱歉，当前成员的签到结果未能保存！"});
    release_database();
    EXPECT_EQ(list_rows(), (std::vector<std::string>{"a=1", "b=0", "c=0"}));

    // Closing with a mark that can be saved by now saves it without a word.
    open();
    ASSERT_NO_FATAL_FAILURE(hold_for_writing());
    press("P");
    release_database();
    ui::presenter::clear();
    ui::destroy_window_or_unit(kWin);
    ASSERT_TRUE(test_support::wait_until([] { return !ui::window_widget(kWin); }));
    EXPECT_TRUE(shown_texts().isEmpty());
    EXPECT_EQ(list_rows(), (std::vector<std::string>{"a=1", "b=0", "c=0"}));
}

// One roll call walked step by step: what the window shows after each press.
TEST_F(RollCall, NavigationAndMarksFollowTheList)
{
    add_members({"甲", "乙", "丙"});
    open();
    const QString report_message = "签到情况统计报告已生成！\r\n文件位于：" + report_path();
    struct Step {
        char key;
        QString name;
        QStringList messages;
    };
    const Step steps[] = {
        {'B', "甲", {"当前已经是第一条记录！"}},
        {'N', "乙", {}},
        {'N', "丙", {}},
        {'N', "", {}},  // past the end: the caption empties first
        {'N', "丙", {"当前已经是最后一条记录！"}},
        {'B', "乙", {}},
        {'B', "甲", {}},
        {'P', "乙", {}},
        {'A', "丙", {}},
        {'P', "", {}},  // the last mark empties the caption
        {'B', "丙", {}},
        {'N', "", {}},
        {'A', "丙", {kLast, report_message}},
        {'B', "丙", {}},  // back onto the last member: no visible change
        {'B', "乙", {}},
    };
    int i = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE("step " + std::to_string(++i));
        ui::presenter::clear();
        press(std::string(1, step.key));
        EXPECT_EQ(shown_name(), step.name);
        EXPECT_EQ(shown_texts(), step.messages);
        for (const auto& m : ui::presenter::shown()) {
            EXPECT_EQ(m.buttons, ui::Buttons::ok);
            EXPECT_EQ(m.icon, ui::Icon::information);
        }
    }
    EXPECT_EQ(list_rows(), std::vector<std::string>({"甲=1", "乙=0", "丙=1"}));
}

struct ReportCase {
    const char* title;
    std::vector<std::string> members;
    std::string presses;  // ends with the list past its end
    std::vector<std::string> present;
    std::vector<std::string> absent;
};
void PrintTo(const ReportCase& c, std::ostream* out) { *out << c.title; }

class RollCallReport : public RollCall, public ::testing::WithParamInterface<ReportCase> {};

TEST_P(RollCallReport, FileListsPresentThenAbsentInListOrder)
{
    const ReportCase& c = GetParam();
    add_members(c.members);
    open();
    press(c.presses);
    EXPECT_FALSE(QFile::exists(report_path())) << "no report before the end is passed";
    ui::presenter::clear();
    press("P");
    EXPECT_EQ(shown_texts(), QStringList({kLast, "签到情况统计报告已生成！\r\n文件位于：" + report_path()}));
    EXPECT_EQ(report(), report_bytes(c.present, c.absent));
    EXPECT_EQ(shown_name().toStdString(), c.members.empty() ? "" : c.members.back());
}

const ReportCase kReportCases[] = {
    {"skipped_member_counts_as_absent", {"张三", "李四", "王五"}, "PAN", {"张三"}, {"李四", "王五"}},
    {"nobody_present", {"a", "b"}, "AA", {}, {"a", "b"}},
    {"nobody_absent", {"a", "b"}, "PP", {"a", "b"}, {}},
    {"latest_mark_counts", {"a", "b", "c"}, "PPBBAPP", {"b", "c"}, {"a"}},
    {"duplicates_called_twice", {"李四", "x", "李四"}, "PAP", {"李四", "李四"}, {"x"}},
    {"empty_roll_call", {}, "", {}, {}},
    {"empty_name_gives_empty_line", {"", "b"}, "PA", {""}, {"b"}},
};

INSTANTIATE_TEST_SUITE_P(RollCall, RollCallReport, ::testing::ValuesIn(kReportCases),
                         [](const auto& info) { return std::string(info.param.title); });

// The reports above are named after today, which hides leading zeros on
// days that have two digits anyway; these days are fixed.
TEST(RollCallReportName, IsTheDayWithoutLeadingZeros)
{
    const struct {
        QDate day;
        const char* name;
    } cases[] = {
        {QDate(2026, 1, 5), "2026年1月5日.txt"},
        {QDate(2026, 10, 9), "2026年10月9日.txt"},
        {QDate(2026, 12, 31), "2026年12月31日.txt"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(rollcall::report_path("/程序", c.day), "/程序/usertext/" + QString(c.name));
        EXPECT_EQ(rollcall::report_path("/程序/", c.day), "/程序/usertext/" + QString(c.name));
    }
}

TEST_F(RollCall, EveryFurtherMarkRewritesTheDaysReport)
{
    add_members({"a", "b"});
    // An older, longer file of the same day must not leave a tail behind.
    write_usertext(today_file_name(), std::string(10000, 'x'));

    open();
    press("PPP");
    EXPECT_EQ(report(), report_bytes({"a", "b"}, {}));

    ui::presenter::clear();
    press("P");  // after a report: the message and the report again
    EXPECT_EQ(shown_texts().size(), 2);
    EXPECT_EQ(shown_texts().value(0), kLast);

    press("BBANP");  // a marked absent, then past the end again
    EXPECT_EQ(report(), report_bytes({"b"}, {"a"}));
    EXPECT_EQ(usertext_entries(), QStringList({today_file_name(), "causercount.mdb"}))
        << "no temporary file left behind";
}

TEST_F(RollCall, ReportThatCannotBeWrittenSaysSo)
{
    add_members({"a"});
    QTemporaryDir elsewhere;  // a current directory without usertext
    ASSERT_TRUE(elsewhere.isValid());
    open();
    QDir::setCurrent(elsewhere.path());
    press("P");
    ui::presenter::clear();
    press("P");
    const QString path = elsewhere.path() + "/usertext/" + today_file_name();
    EXPECT_EQ(shown_texts(), QStringList({kLast, "签到情况统计报告生成失败！\r\n无法写入：" + path}));
    ASSERT_EQ(ui::presenter::shown().size(), 2);
    EXPECT_EQ(ui::presenter::shown()[1].buttons, ui::Buttons::ok);
    EXPECT_EQ(ui::presenter::shown()[1].icon, ui::Icon::stop);
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(RollCall, ReportOnAFullDiskKeepsTheDaysEarlierReportAndSaysSo)
{
    add_members({"a"});
    const std::string earlier = report_bytes({}, {"a"});
    write_usertext(today_file_name(), earlier);
    open();
    press("P");
    ui::presenter::clear();
    {
        const assocman_testing::FileSizeLimit full_disk(1);
        press("P");
    }
    EXPECT_EQ(shown_texts(),
              QStringList({kLast, "签到情况统计报告生成失败！\r\n无法写入：" + report_path()}));
    EXPECT_EQ(report(), earlier);
    EXPECT_EQ(usertext_entries(), QStringList({today_file_name(), "causercount.mdb"}))
        << "no temporary file left behind";
}

TEST_F(RollCall, ClosingDuringTheLastMemberMessageKeepsTheDaysReport)
{
    add_members({"a", "b"});
    open();
    press("PPP");
    const std::string bytes = report_bytes({"a", "b"}, {});
    ASSERT_EQ(report(), bytes);

    // A close request that runs while the box is up takes the list with it.
    ui::presenter::clear();
    ui::presenter::set_while_open([](const ui::ShownMessage&) { close_window(kWin); });
    press("A");
    ui::presenter::set_while_open(nullptr);
    EXPECT_FALSE(ui::is_window_open(kWin));
    EXPECT_EQ(shown_texts(), QStringList({kLast}));
    EXPECT_EQ(report(), bytes);
}

TEST_F(RollCall, EnterMarksPresentAndReopeningStartsANewRollCall)
{
    add_members({"a", "b"});
    open();
    // Even with the focus on the absent button, Enter clicks the default button.
    press_key(kWin, "按钮缺席", Qt::Key_Return);
    EXPECT_EQ(shown_name(), "b");
    EXPECT_EQ(list_rows(), std::vector<std::string>({"a=1", "b=0"}));

    ui::destroy_window_or_unit(kWin);
    ASSERT_TRUE(test_support::wait_until([] { return !ui::window_widget(kWin); }));
    add_members({"c"});
    open();
    EXPECT_EQ(shown_name(), "a");
    EXPECT_EQ(list_rows(), std::vector<std::string>({"a=0", "b=0", "c=0"}));
}

// Each spoken text becomes one WAV file, so the files count what was heard.
TEST_F(RollCall, SpeaksEachNextNameButNeitherTheFirstNorTheEmptyEnd)
{
    const QString wav = dir.path() + "/wav";
    ASSERT_TRUE(QDir().mkpath(wav));
    ::setenv("ASSOCMAN_SPEECH_WAV_DIR", wav.toLocal8Bit().constData(), 1);
    app::state().roll_call_voice = std::make_unique<speech::ETextToSpeech>();
    ::unsetenv("ASSOCMAN_SPEECH_WAV_DIR");
    speech::ETextToSpeech& voice = *app::state().roll_call_voice;
    if (!voice.has_voice()) GTEST_SKIP() << "no speech engine";

    auto heard = [&] {
        EXPECT_TRUE(voice.wait_until_idle(20000));
        return QDir(wav).entryList(QDir::Files).size();
    };
    add_members({"a", "b", "c"});
    open();
    EXPECT_EQ(heard(), 0) << "the first name is shown, not spoken";

    QTest::mouseClick(ui::control_widget(kWin, kLabel), Qt::RightButton);
    EXPECT_EQ(heard(), 1);

    ASSERT_NO_FATAL_FAILURE(hold_for_writing());
    press("P");  // a mark that cannot be saved calls no one
    EXPECT_EQ(heard(), 1);
    release_database();
    press("PPP");  // b and c in quick succession, then silence past the end
    EXPECT_EQ(heard(), 3);
    press("NPP");  // back on c, its silent last mark, then the report
    EXPECT_EQ(heard(), 3);
}

}  // namespace
