#include "assocman/rollcall/rollcall.h"

#include <QByteArray>
#include <QDate>
#include <QFile>
#include <string>

#include "assocman/shared/datetime_text.h"
#include "assocman/shared/gbk.h"
#include "assocman/shared/save_file.h"
#include "assocman/state/state.h"
#include "platform/db/db.h"
#include "platform/speech/speech.h"
#include "platform/ui/message.h"
#include "platform/ui/runtime.h"

namespace rollcall {
namespace {

const QString kNameLabel = "透明标签姓名";
const QString kConnection = "数据库连接会员点名";
const QString kList = "记录集会员点名";
const QString kAdder = "记录集添加";

const char* const kPresentTitle = "--------已签到会员列表--------";
const char* const kAbsentTitle = "--------本次缺席会员列表--------";

// Record sets are looked up again after anything that may show a box: the
// box keeps events flowing, and the window may be gone when it returns.
db::RecordSet* list() { return ui::recordset(kWindow, kList); }

QString name_of_current_row()
{
    std::string name;
    if (db::RecordSet* set = list()) db::recordset_read_text(*set, "name", name);
    return QString::fromStdString(name);
}

void show_name(const QString& name) { ui::set_text(kWindow, kNameLabel, name); }

void speak(const QString& text)
{
    if (const auto& voice = app::state().roll_call_voice) voice->speak(text.toStdString());
}

// Every member name of causer becomes one row of qiandao, in the order the
// names come. The name is bound, never pasted into the statement, so a name
// with a quote is called like any other.
void rebuild_list()
{
    db::RecordSet* set = list();
    if (!set) return;
    db::recordset_open(*set, "qiandao", db::kTable);
    if (!(set = list())) return;
    db::recordset_delete(*set, db::kDeleteAll);

    db::recordset_open(*set, "select name from causer", db::kSql);
    if (!(set = list())) return;
    const int members = db::record_count(*set);
    for (int i = 0; i < members; ++i) {
        std::string name;
        db::recordset_read_text(*set, "name", name);
        db::RecordSet* adder = ui::recordset(kWindow, kAdder);
        if (!adder) return;
        db::recordset_open(*adder, "insert into qiandao (name) values (?)", db::kSql, {name});
        if (!(set = list())) return;
        db::recordset_move_next(*set);
    }
}

void on_created()
{
    auto& s = app::state();
    ui::apply_xp_style(2);

    db::Connection* connection = ui::connection(kWindow, kConnection);
    db::RecordSet* set = list();
    db::RecordSet* adder = ui::recordset(kWindow, kAdder);
    if (!connection || !set || !adder) return;

    // A failed connection shows up as the record sets' own errors below.
    app::connect_program_database(*connection);
    db::recordset_set_connection(*set, *connection);
    db::recordset_set_connection(*adder, *connection);

    ui::set_caption(kWindow, s.association_name + "-电子点名系统");

    rebuild_list();

    if (!(set = list())) return;
    db::recordset_close(*set);
    db::recordset_open(*set, "qiandao", db::kTable);
    if (!(set = list())) return;
    db::recordset_move_first(*set);
    show_name(name_of_current_row());
}

// Appends the name of every row whose mark equals `present`, walking the
// whole list from its first row.
void append_names(bool present, std::string& text)
{
    db::RecordSet* set = list();
    if (!set) return;
    db::recordset_move_first(*set);
    const int rows = db::record_count(*set);
    for (int i = 0; i < rows; ++i) {
        bool dao = false;
        db::recordset_read_bool(*set, "dao", dao);
        if (dao == present) {
            std::string name;
            db::recordset_read_text(*set, "name", name);
            text += name + "\r\n";
        }
        db::recordset_move_next(*set);
    }
}

// The report goes to a temporary file beside the old one and replaces it
// only once it is complete, so a failed write never leaves half a report.
bool write_whole_file(const QString& path, const std::string& bytes)
{
    return assoc::save_whole_file(QFile::encodeName(path).toStdString(), bytes).ok;
}

void write_report()
{
    QString folder = ui::get_current_directory();
    if (!folder.endsWith('/')) folder += '/';

    std::string text = std::string(kPresentTitle) + "\r\n";
    append_names(true, text);
    text += std::string("\r\n\r\n\r\n") + kAbsentTitle + "\r\n";
    append_names(false, text);

    const QDate today = QDate::currentDate();
    const QString path =
        folder + "usertext/" +
        QString::fromStdString(assoc::date_time_text(today.year(), today.month(), today.day(), 0, 0, 0)) +
        ".txt";

    if (write_whole_file(path, assoc::to_gbk(text))) {
        ui::show_tip("签到情况统计报告已生成！\r\n文件位于：" + path, false);
    } else {
        ui::show_tip("签到情况统计报告生成失败！\r\n无法写入：" + path, true);
    }
}

// Present and absent differ only in the mark they store.
void mark(bool present)
{
    db::RecordSet* set = list();
    if (!set) return;
    if (db::position(*set) == db::kAfterLast) {
        db::recordset_move_previous(*set);
        show_name(name_of_current_row());
        ui::show_tip("当前已经是最后一位成员！", false);
        // Closed while the box was up: with no list left to walk, a report
        // now would replace the day's file with empty lists.
        if (!list()) return;
        write_report();
        return;
    }
    db::recordset_write_integer(*set, "dao", present ? 1 : 0);
    // Moving on saves the mark.
    db::recordset_move_next(*set);
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
    if (db::position(*set) == 0) {
        show_name(name_of_current_row());
        ui::show_tip("当前已经是第一条记录！", false);
        return;
    }
    db::recordset_move_previous(*set);
    show_name(name_of_current_row());
}

void on_next()
{
    db::RecordSet* set = list();
    if (!set) return;
    if (db::position(*set) == db::kAfterLast) {
        db::recordset_move_previous(*set);
        show_name(name_of_current_row());
        ui::show_tip("当前已经是最后一条记录！", false);
        return;
    }
    db::recordset_move_next(*set);
    show_name(name_of_current_row());
}

void on_speak_again() { speak(ui::text(kWindow, kNameLabel)); }

void on_destroy()
{
    if (db::Connection* connection = ui::connection(kWindow, kConnection)) db::db_close(*connection);
}

}  // namespace

void register_rollcall_handlers()
{
    ui::register_handler("rollcall.on_created", on_created);
    ui::register_handler("rollcall.on_destroy", on_destroy);
    ui::register_handler("rollcall.on_present", on_present);
    ui::register_handler("rollcall.on_absent", on_absent);
    ui::register_handler("rollcall.on_previous", on_previous);
    ui::register_handler("rollcall.on_next", on_next);
    ui::register_handler("rollcall.on_speak_again", on_speak_again);
}

}  // namespace rollcall
