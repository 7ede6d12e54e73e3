// The random-pick window driven through its real widgets, headless, against
// a real encrypted database in a temporary folder.
#include "assocman/randompick/randompick.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "assocman/randompick/generator.h"
#include "assocman/state/state.h"
#include "assocman/testing/window_test.h"
#include "platform/db/db.h"
#include "platform/speech/speech.h"
#include "platform/speech/tests/test_support.h"
#include "platform/ui/description.h"
#include "platform/ui/message.h"
#include "platform/ui/runtime.h"
#include "platform/ui/testing.h"
#include "tests/support/wait_until.h"

namespace {

const QString kWin = "random_pick";
const QString kNameLabel = "透明标签显示姓名";
const QString kTimer = "时钟随机滚动抽取";
const std::string kPassword = "p@ss";

struct Row {
    std::optional<std::string> name;  // nullopt: SQL NULL
    bool present = false;
};

class RandomPickWindow : public assocman_testing::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        if (HasFatalFailure()) return;
        app::state().association_name = "Quillet";
        set_database_key(kPassword);
        randompick::register_randompick_handlers();
        ASSERT_NO_FATAL_FAILURE(assocman_testing::add_form(kWin));
    }

    void TearDown() override
    {
        WindowTest::TearDown();
        unsetenv("ASSOCMAN_SPEECH_WAV_DIR");
    }

    // Makes `qiandao` hold exactly these rows (creating the database first).
    void set_rows(const std::vector<Row>& rows)
    {
        if (!QFile::exists(QString::fromStdString(database_file()))) {
            ASSERT_NO_FATAL_FAILURE(create_database());
        }
        ASSERT_NO_FATAL_FAILURE(run("delete from qiandao"));
        for (const Row& r : rows) {
            const db::Param name = r.name ? db::Param{*r.name} : db::Param{};
            ASSERT_NO_FATAL_FAILURE(run("insert into qiandao (name, dao) values (?, ?)",
                                        {name, static_cast<long long>(r.present)}));
        }
    }

    // Opens the window afresh on these rows.
    void open_with(const std::vector<Row>& rows)
    {
        if (ui::is_window_open(kWin)) {
            ui::destroy_window_or_unit(kWin);
            ASSERT_TRUE(test_support::wait_until([] { return !ui::window_widget(kWin); }));
        }
        set_rows(rows);
        ASSERT_TRUE(ui::load_window(kWin));
        test_support::process_queued_events();
    }

    void start() { click(kWin, "按钮开始滚动"); }
    void stop() { click(kWin, "按钮停止滚动"); }

    // One tick of the rolling timer, without waiting for the clock.
    static void tick() { ASSERT_TRUE(ui::detail::call_handler("random_pick.on_tick")); }

    QString shown() const { return ui::text(kWin, kNameLabel); }
};

TEST_F(RandomPickWindow, OpensIdleWithEveryRollCallRowAsACandidate)
{
    // Absent members count as much as present ones; NULL and empty names and
    // quotes come through unchanged.
    open_with({{"张三", true}, {"李四", false}, {std::nullopt, false}, {"", true}, {"O'Brien", false}});

    EXPECT_EQ(ui::caption(kWin), "Quillet-随机选人功能");
    EXPECT_EQ(shown(), "");
    EXPECT_EQ(ui::timer_interval(kWin, kTimer), 0);
    EXPECT_EQ(app::state().pick_names, QStringList({"张三", "李四", "", "", "O'Brien"}));
    EXPECT_TRUE(ui::presenter::shown().isEmpty());
}

TEST_F(RandomPickWindow, EscClosesAndReopeningTakesTheTableAsItNowStands)
{
    open_with({{"张三", true}, {"李四", false}});
    press_key_in(kWin, Qt::Key_Escape);
    ASSERT_TRUE(test_support::wait_until([] { return !ui::window_widget(kWin); }));

    open_with({{"王五", true}});
    EXPECT_EQ(app::state().pick_names, QStringList({"王五"})) << "no stale or repeated names";
}

TEST_F(RandomPickWindow, WithoutADatabaseNothingIsPickedAndNothingBreaks)
{
    app::state().pick_names = QStringList({"旧名"});
    ASSERT_TRUE(ui::load_window(kWin));  // no database file at all
    EXPECT_TRUE(app::state().pick_names.isEmpty());

    start();
    EXPECT_EQ(ui::timer_interval(kWin, kTimer), 10);
    tick();
    tick();
    EXPECT_EQ(shown(), "");
    stop();
    EXPECT_EQ(ui::timer_interval(kWin, kTimer), 0);
}

TEST_F(RandomPickWindow, TicksShowTheNamesTheSeedDraws)
{
    struct Case {
        const char* what;
        std::vector<Row> rows;
        std::uint32_t seed;
        QStringList expected;  // label after each tick
    };
    // Draws for seed 1: 41 18467 6334 26500 19169; for seed 0: 38 7719 21238 2437 8855.
    const std::vector<Case> cases = {
        {"three names", {{"甲"}, {"乙"}, {"丙"}}, 1, {"丙", "丙", "乙", "乙", "丙"}},
        {"four names", {{"甲"}, {"乙"}, {"丙"}, {"丁"}}, 0, {"丙", "丁", "丙", "乙", "丁"}},
        {"one name", {{"独"}}, 1, {"独", "独", "独"}},
        {"an empty name blanks the label", {{"甲"}, {""}}, 1, {"", "", "甲", "甲", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        open_with(c.rows);
        randompick::generator().seed(c.seed);
        QStringList got;
        for (qsizetype i = 0; i < c.expected.size(); ++i) {
            tick();
            got << shown();
        }
        EXPECT_EQ(got, c.expected);
        if (c.rows.size() == 1) {
            EXPECT_EQ(randompick::generator().draw(), 41) << "a lone name draws nothing";
        }
    }
}

TEST_F(RandomPickWindow, RollsOnTheClockAndStopHoldsThePick)
{
    open_with({{"甲"}, {"乙"}, {"丙"}});
    start();
    start();  // a second start only restarts the roll
    EXPECT_EQ(ui::timer_interval(kWin, kTimer), 10);
    // Only a tick of the clock puts a name up.
    ASSERT_TRUE(test_support::wait_until([this] { return !shown().isEmpty(); }));
    stop();
    EXPECT_EQ(ui::timer_interval(kWin, kTimer), 0);

    const QString picked = shown();
    EXPECT_TRUE(app::state().pick_names.contains(picked)) << picked.toStdString();
    // Nothing to wait for: the clock must NOT tick any more. Several periods
    // of it pass with the events running.
    ui::wait_processing_events(60);
    EXPECT_EQ(shown(), picked);
}

// Length in seconds of each text a speech object made in `folder`, in the
// order spoken ("<object>-<sequence>.wav"). The engine's output varies by a
// few samples between runs, so texts are told apart by length, not bytes.
std::vector<double> spoken_seconds(const QTemporaryDir& folder)
{
    std::vector<double> seconds;
    for (int sequence = 1;; ++sequence) {
        const QStringList files = QDir(folder.path()).entryList({QString("*-%1.wav").arg(sequence)});
        if (files.isEmpty()) return seconds;
        const auto wav = speech::testing_support::read_wav(folder.filePath(files.first()).toStdString());
        seconds.push_back(wav ? wav->seconds() : -1.0);
    }
}

std::unique_ptr<speech::ETextToSpeech> voice_into(const QTemporaryDir& folder)
{
    setenv("ASSOCMAN_SPEECH_WAV_DIR", folder.path().toUtf8().constData(), 1);
    return std::make_unique<speech::ETextToSpeech>();
}

TEST_F(RandomPickWindow, StopSpeaksExactlyTheShownName)
{
    enum Action { kTick, kStop };
    struct Case {
        const char* what;
        std::vector<Row> rows;
        std::vector<Action> actions;
        std::vector<std::string> spoken;
    };
    const std::string kLong = "欧阳小明同学你好欢迎";
    // Seed 1 draws 41 first, which picks the second of two names.
    const std::vector<Case> cases = {
        {"the shown name, not another", {{"王"}, {kLong}}, {kTick, kStop}, {kLong}},
        {"silent before a roll, then twice the pick", {{"王"}}, {kStop, kTick, kStop, kStop}, {"王", "王"}},
        {"an empty name is silent", {{""}}, {kTick, kStop}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir picked_folder;
        QTemporaryDir reference_folder;
        app::state().pick_voice = voice_into(picked_folder);
        if (!app::state().pick_voice->has_voice()) GTEST_SKIP() << "no speech engine";
        open_with(c.rows);
        randompick::generator().seed(1);
        for (Action a : c.actions) a == kTick ? tick() : stop();
        ASSERT_TRUE(app::state().pick_voice->wait_until_idle(10000));

        auto reference = voice_into(reference_folder);
        for (const std::string& text : c.spoken) reference->speak(text);
        ASSERT_TRUE(reference->wait_until_idle(10000));

        const auto got = spoken_seconds(picked_folder);
        const auto want = spoken_seconds(reference_folder);
        ASSERT_EQ(got.size(), c.spoken.size());
        ASSERT_EQ(want.size(), c.spoken.size());
        for (std::size_t i = 0; i < got.size(); ++i)
            EXPECT_NEAR(got[i], want[i], 0.1 * want[i]) << "text " << i;
    }
}

}  // namespace
