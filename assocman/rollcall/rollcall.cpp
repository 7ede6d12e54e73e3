#include "assocman/rollcall/rollcall.h"

#include <QByteArray>
#include <QDate>
#include <QFile>
#include <optional>
#include <string>

#include "assocman/state/state.h"
#include "assocman/state/tip.h"
#include "core/datetime_text.h"
#include "core/save_file.h"
#include "platform/db/db.h"
#include "platform/speech/speech.h"
#include "platform/text/gbk.h"
#include "platform/ui/runtime.h"

namespace rollcall {
namespace {

namespace names = forms::rollcall;

const char* const kPresentTitle = "--------已签到会员列表--------";
const char* const kAbsentTitle = "--------本次缺席会员列表--------";

// Record sets are looked up again after anything that may show a box: the
// box keeps events flowing, and the window may be gone when it returns.
db::RecordSet* list() { return ui::recordset(names::window, names::记录集会员点名); }
db::Connection* connection() { return ui::connection(names::window, names::数据库连接会员点名); }

QString name_of_current_row()
{
    std::string name;
    // After the last row, or on a list that did not open, the empty text.
    if (db::RecordSet* set = list()) (void)db::recordset_read_text(*set, "name", name);
    return QString::fromStdString(name);
}

void show_name(const QString& name) { ui::set_text(names::window, names::透明标签姓名, name); }

void speak(const QString& text)
{
    if (const auto& voice = app::state().roll_call_voice) voice->speak(text.toStdString());
}

enum class Rebuild { done, failed, window_gone };

// Every member name of causer becomes one row of qiandao, in the order the
// names come. The name is bound, never pasted into the statement, so a name
// with a quote is called like any other.
//
// All of it is one transaction: one commit instead of a sync of the file per
// member, and a list that is replaced whole or not at all. On `failed` the
// transaction may still be open; the caller rolls it back.
Rebuild rebuild_list()
{
    db::Connection* c = connection();
    db::RecordSet* set = list();
    if (!c || !set) return Rebuild::window_gone;
    if (!db::begin_transaction(*c)) return Rebuild::failed;

    const bool opened = db::recordset_open(*set, "qiandao", db::Source::table);
    if (!(set = list())) return Rebuild::window_gone;
    const bool cleared = opened && db::recordset_delete(*set, db::Delete::all);
    if (!(set = list())) return Rebuild::window_gone;
    if (!cleared) return Rebuild::failed;

    const bool listed = db::recordset_open(*set, "select name from causer", db::Source::sql);
    if (!(set = list())) return Rebuild::window_gone;
    if (!listed) return Rebuild::failed;
    std::optional<Rebuild> stopped;
    const auto stop = [&stopped](Rebuild why) {
        stopped = why;
        return false;
    };
    db::for_each_row(*set, [&](db::RecordSet& members) {
        std::string name;
        (void)db::recordset_read_text(members, "name", name);  // unreadable: goes in as the empty text
        db::RecordSet* adder = ui::recordset(names::window, names::记录集添加);
        if (!adder) return stop(Rebuild::window_gone);
        // A refused insert has shown the engine's error; that member is left
        // out and the others go in. A failure that ended the transaction
        // itself ends the rebuild: the inserts after it would be saved one by
        // one on top of the old list.
        if (!db::recordset_open(*adder, "insert into qiandao (name) values (?)", db::Source::sql, {name})) {
            if (!(c = connection())) return stop(Rebuild::window_gone);
            if (!db::in_transaction(*c)) return stop(Rebuild::failed);
        }
        // The walk goes on through this set only while it is the window's.
        return list() == &members || stop(Rebuild::window_gone);
    });
    if (stopped) return *stopped;
    if (!(c = connection())) return Rebuild::window_gone;
    return db::commit_transaction(*c) ? Rebuild::done : Rebuild::failed;
}

void on_created()
{
    auto& s = app::state();
    ui::apply_xp_style(2);

    db::Connection* c = connection();
    db::RecordSet* set = list();
    db::RecordSet* adder = ui::recordset(names::window, names::记录集添加);
    if (!c || !set || !adder) return;

    // A failed connection fails the rebuild below.
    (void)app::connect_program_database(*c);
    db::recordset_set_connection(*set, *c);
    db::recordset_set_connection(*adder, *c);

    ui::set_caption(names::window, s.association_name + "-电子点名系统");

    switch (rebuild_list()) {
        case Rebuild::window_gone:
            return;
        case Rebuild::failed:
            // The old list stays as it was. Without a new one there is no roll
            // call to take: marks would land on the old rows, and a report
            // would replace the day's with the old list.
            if ((c = connection())) {
                // Closing the window closes the connection, which drops the
                // transaction in any case.
                (void)db::rollback_transaction(*c);
            }
            app::show_error("抱歉，点名名单未能生成！请稍后重试！");
            ui::destroy_window_or_unit(names::window);
            return;
        case Rebuild::done:
            break;
    }

    if (!(set = list())) return;
    db::recordset_close(*set);
    // A list that does not open has shown the engine's error; the window then
    // shows no name and every mark tells that it was not saved. A move to the
    // first row is refused only on an empty list, which has no name to show.
    (void)db::recordset_open(*set, "qiandao", db::Source::table);
    if (!(set = list())) return;
    (void)db::recordset_move_first(*set);
    show_name(name_of_current_row());
}

// Appends the name of every row whose mark equals `present`, walking the
// whole list from its first row.
void append_names(bool present, std::string& text)
{
    db::RecordSet* set = list();
    if (!set) return;
    // Nothing is pending when the report is written (the list stood after its
    // last row, which only a successful move reaches), so the walk visits
    // every row. An unreadable mark reads as absent and an unreadable name as
    // an empty line.
    db::for_each_row(*set, [&](db::RecordSet& row) {
        bool dao = false;
        (void)db::recordset_read_bool(row, "dao", dao);
        if (dao == present) {
            std::string name;
            (void)db::recordset_read_text(row, "name", name);
            text += name + "\r\n";
        }
        return true;
    });
}

// The report goes to a temporary file beside the old one and replaces it
// only once it is complete, so a failed write never leaves half a report.
bool write_whole_file(const QString& path, const std::string& bytes)
{
    return assoc::save_whole_file(QFile::encodeName(path).toStdString(), bytes).ok;
}

void write_report()
{
    std::string text = std::string(kPresentTitle) + "\r\n";
    append_names(true, text);
    text += std::string("\r\n\r\n\r\n") + kAbsentTitle + "\r\n";
    append_names(false, text);

    const QString path = report_path(ui::get_current_directory(), QDate::currentDate());

    if (write_whole_file(path, text::to_gbk(text))) {
        app::show_info("签到情况统计报告已生成！\r\n文件位于：" + path);
    } else {
        app::show_error("签到情况统计报告生成失败！\r\n无法写入：" + path);
    }
}

// Present and absent differ only in the mark they store.
void mark(bool present)
{
    db::RecordSet* set = list();
    if (!set) return;
    if (db::position(*set) == db::Place::after_last) {
        // Refused only on an empty list: no name, and a report without names.
        (void)db::recordset_move_previous(*set);
        show_name(name_of_current_row());
        app::show_info("当前已经是最后一位成员！");
        // Closed while the box was up: with no list left to walk, a report
        // now would replace the day's file with empty lists.
        if (!list()) return;
        write_report();
        return;
    }
    // Refused only when the list is not open; the move below is then refused
    // too and tells that the mark was not saved.
    (void)db::recordset_write_integer(*set, "dao", present ? 1 : 0);
    // Moving on saves the mark. When that fails (another program holds the
    // database) the mark stays pending on this row and the member stays
    // shown: the next press, or a move, saves it.
    if (!db::recordset_move_next(*set)) {
        app::show_error("抱歉，当前成员的签到结果未能保存！请稍后重试！");
        return;
    }
    const QString name = name_of_current_row();
    speak(name);
    show_name(name);
}

void on_present() { mark(true); }
void on_absent() { mark(false); }

void on_previous()
{
    db::RecordSet* set = list();
    if (!set) return;
    if (db::position(*set).row == 0) {
        show_name(name_of_current_row());
        app::show_info("当前已经是第一条记录！");
        return;
    }
    // Refused while a pending mark still cannot be saved: the member stays
    // shown, the mark pending.
    (void)db::recordset_move_previous(*set);
    show_name(name_of_current_row());
}

void on_next()
{
    db::RecordSet* set = list();
    if (!set) return;
    if (db::position(*set) == db::Place::after_last) {
        (void)db::recordset_move_previous(*set);  // refused only on an empty list, which has no name
        show_name(name_of_current_row());
        app::show_info("当前已经是最后一条记录！");
        return;
    }
    (void)db::recordset_move_next(*set);  // refused as a move back is, the mark still pending
    show_name(name_of_current_row());
}

void on_speak_again() { speak(ui::text(names::window, names::透明标签姓名)); }

void on_destroy()
{
    // A pending mark would go with the connection: one more try, and a word
    // when that fails too rather than losing it unseen.
    db::RecordSet* set = list();
    if (set && db::recordset_has_pending_write(*set) && !db::recordset_update(*set)) {
        app::show_error("抱歉，当前成员的签到结果未能保存！");
    }
    if (db::Connection* c = connection()) db::db_close(*c);
}

}  // namespace

QString report_path(QString program_folder, const QDate& day)
{
    if (!program_folder.endsWith('/')) program_folder += '/';
    return program_folder + "usertext/" +
           QString::fromStdString(assoc::date_time_text(day.year(), day.month(), day.day(), 0, 0, 0)) +
           ".txt";
}

void register_rollcall_handlers()
{
    ui::register_handler(forms::rollcall::handler::on_created, on_created);
    ui::register_handler(forms::rollcall::handler::on_destroy, on_destroy);
    ui::register_handler(forms::rollcall::handler::on_present, on_present);
    ui::register_handler(forms::rollcall::handler::on_absent, on_absent);
    ui::register_handler(forms::rollcall::handler::on_previous, on_previous);
    ui::register_handler(forms::rollcall::handler::on_next, on_next);
    ui::register_handler(forms::rollcall::handler::on_speak_again, on_speak_again);
}

}  // namespace rollcall
