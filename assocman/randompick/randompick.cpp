#include "assocman/randompick/randompick.h"

#include <string>

#include "assocman/randompick/generator.h"
#include "assocman/state/state.h"
#include "platform/db/db.h"
#include "platform/speech/speech.h"
#include "platform/ui/runtime.h"

namespace randompick {
namespace {

namespace names = forms::random_pick;

constexpr int kRollPeriodMs = 10;

void on_created()
{
    auto& s = app::state();
    ui::apply_xp_style(2);

    db::Connection* connection = ui::connection(names::window, names::数据库连接随机选人);
    db::RecordSet* records = ui::recordset(names::window, names::记录集随机选人);
    // A failed connection leaves the set unopened, which then yields no names.
    if (connection) (void)app::connect_program_database(*connection);

    ui::set_caption(names::window, s.association_name + "-随机选人功能");

    // Start from the table as it stands now: names left over from an earlier
    // opening could be members the roll call no longer lists, and repeats
    // would weigh the draw towards whoever was there before.
    s.pick_names.clear();
    if (connection && records) {
        db::recordset_set_connection(*records, *connection);
        // Every row is a candidate, present or absent; a set that did not
        // open has shown the engine's error, counts -1 rows and adds nothing.
        (void)db::recordset_open(*records, "qiandao", db::Source::table);
        db::for_each_row(*records, [&s](db::RecordSet& row) {
            std::string name;
            // An unreadable name is the empty text, a candidate like any
            // other; nothing is written, so the walk visits every row.
            (void)db::recordset_read_text(row, "name", name);
            s.pick_names.append(QString::fromStdString(name));
            return true;
        });
    }

    generator().seed_from_clock(milliseconds_since_boot());
}

void on_start() { ui::set_timer_interval(names::window, names::时钟随机滚动抽取, kRollPeriodMs); }

void on_tick()
{
    const QStringList& candidates = app::state().pick_names;
    // With nobody to pick from the label keeps what it shows.
    if (candidates.isEmpty()) return;
    const std::size_t position = generator().pick_position(static_cast<std::size_t>(candidates.size()));
    ui::set_text(names::window, names::透明标签显示姓名, candidates.at(static_cast<qsizetype>(position)));
}

void on_stop()
{
    ui::set_timer_interval(names::window, names::时钟随机滚动抽取, 0);
    const QString picked = ui::text(names::window, names::透明标签显示姓名);
    // Queued behind anything still being said; the window never waits for it.
    if (const auto& voice = app::state().pick_voice) voice->speak(picked.toStdString());
}

}  // namespace

void register_randompick_handlers()
{
    ui::register_handler(forms::random_pick::handler::on_created, on_created);
    ui::register_handler(forms::random_pick::handler::on_start, on_start);
    ui::register_handler(forms::random_pick::handler::on_tick, on_tick);
    ui::register_handler(forms::random_pick::handler::on_stop, on_stop);
}

}  // namespace randompick
