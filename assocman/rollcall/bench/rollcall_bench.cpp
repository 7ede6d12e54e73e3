// How long the roll-call window takes to open on a large register: its
// creation connects, builds the day's list in qiandao from every member and
// reads it back. The baseline, in the same run, is the same list built with
// every insert committed on its own, as the window once did.
//
// Run headless: QT_QPA_PLATFORM=offscreen is set unless given.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "assocman/database/database.h"
#include "assocman/rollcall/rollcall.h"
#include "assocman/state/state.h"
#include "platform/db/db.h"
#include "platform/ui/runtime.h"
#include "platform/ui/testing.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string kKey = "bench-key";
const QString kList = "记录集会员点名";

// A program folder with usertext/causercount.mdb holding `members` members.
class Register {
public:
    explicit Register(int members)
    {
        std::filesystem::create_directory(dir_.file("usertext"));
        file_ = dir_.file("usertext/causercount.mdb");
        if (!database::create_database(file_, kKey, nullptr) ||
            !db::db_connect_access(connection_, file_, kKey)) {
            std::abort();
        }
        db::RecordSet set;
        db::recordset_set_connection(set, connection_);
        if (!db::begin_transaction(connection_)) std::abort();
        for (int i = 0; i < members; ++i) {
            if (!db::recordset_open(set, "insert into causer (name) values (?)", db::Source::sql,
                                    {"成员" + std::to_string(i)})) {
                std::abort();
            }
        }
        if (!db::commit_transaction(connection_)) std::abort();
    }
    ~Register() { db::db_close(connection_); }
    const std::string& dir() const { return dir_.path(); }
    db::Connection& connection() { return connection_; }

private:
    test_support::TempDir dir_;
    std::string file_;
    db::Connection connection_;
};

Register& register_of(int members)
{
    static std::map<int, std::unique_ptr<Register>> made;
    auto& slot = made[members];
    if (!slot) slot = std::make_unique<Register>(members);
    return *slot;
}

void start_program_once()
{
    static bool started = false;
    if (started) return;
    static int argc = 1;
    static char name[] = "rollcall_bench";
    static char* argv[] = {name, nullptr};
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ui::start_runtime(argc, argv);
    rollcall::register_rollcall_handlers();
    QFile form(":/forms/rollcall.json");
    QString error;
    if (!form.open(QIODevice::ReadOnly) || !ui::add_description(form.readAll(), "rollcall.json", &error)) {
        std::abort();
    }
    app::state().association_name = "Quillet";
    app::state().database_password = QString::fromStdString(kKey);
    started = true;
}

void RollCallOpens(benchmark::State& state)
{
    const int members = static_cast<int>(state.range(0));
    start_program_once();
    Register& data = register_of(members);
    ui::set_program_directory(QString::fromStdString(data.dir()));
    for (auto _ : state) {
        // A window that did not open has no list, which the check below reports.
        (void)ui::load_window(forms::rollcall::window);
        state.PauseTiming();
        const db::RecordSet* list = ui::recordset(forms::rollcall::window, kList);
        if (!list || db::record_count(*list) != members) state.SkipWithError("the list was not built");
        ui::destroy_window_or_unit(forms::rollcall::window);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["members"] = members;
}
BENCHMARK(RollCallOpens)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The list built as before: the same statements through the same record
// sets, each insert committed (and the file synced) on its own.
void RebuildWithACommitPerInsert(benchmark::State& state)
{
    const int members = static_cast<int>(state.range(0));
    Register& data = register_of(members);
    db::RecordSet list;
    db::RecordSet adder;
    db::recordset_set_connection(list, data.connection());
    db::recordset_set_connection(adder, data.connection());
    for (auto _ : state) {
        // The rebuild as it was, examining nothing; the count below tells
        // whether the list was built.
        (void)db::recordset_open(list, "qiandao", db::Source::table);
        (void)db::recordset_delete(list, db::Delete::all);
        (void)db::recordset_open(list, "select name from causer", db::Source::sql);
        db::for_each_row(list, [&adder](db::RecordSet& row) {
            std::string name;
            (void)db::recordset_read_text(row, "name", name);
            (void)db::recordset_open(adder, "insert into qiandao (name) values (?)", db::Source::sql, {name});
            return true;
        });
        (void)db::recordset_open(list, "qiandao", db::Source::table);
        if (db::record_count(list) != members) state.SkipWithError("the list was not built");
    }
    state.counters["members"] = members;
}
BENCHMARK(RebuildWithACommitPerInsert)
    ->Arg(10000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
