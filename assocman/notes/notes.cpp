#include "assocman/notes/notes.h"

#include <string>

#include "assocman/state/state.h"
#include "assocman/state/tip.h"
#include "core/datetime_text.h"
#include "platform/db/db.h"
#include "platform/ui/message.h"
#include "platform/ui/runtime.h"

namespace notes {
namespace {

namespace names = forms::notes;

// Looked up afresh after anything that may show a box: a box lets a posted
// close through, and the set goes with its window.
db::RecordSet* notes_set() { return ui::recordset(names::window, names::记录集课堂问题); }

std::string read_text(db::RecordSet& set, const std::string& field)
{
    std::string value;
    (void)db::recordset_read_text(set, field, value);  // unreadable: the empty text
    return value;
}

void clear_shown_note()
{
    ui::set_text(names::window, names::透明标签问题标题, "");
    ui::set_text(names::window, names::透明标签问题时间, "");
    ui::set_text(names::window, names::透明标签问题分类, "");
    ui::set_text(names::window, names::编辑框问题内容, "");
}

// Notes are known by title alone: the row behind a list item is the first
// one, in the set's order, whose title equals the item's text. Leaves the set
// on that row.
//
// No write stays pending on this set (a new row that was not saved is dropped
// at once), so the walks visit every row.
bool move_to_note(db::RecordSet& set, const std::string& title)
{
    return db::find_row(set, [&](db::RecordSet& row) { return read_text(row, "title") == title; });
}

bool is_duplicate(db::RecordSet& set, const std::string& title, const std::string& body)
{
    return db::find_row(set, [&](db::RecordSet& row) {
        return read_text(row, "title") == title || read_text(row, "text") == body;
    });
}

// `time` is left to the column's default.
bool store_note(db::RecordSet& set, const std::string& title, const std::string& body,
                const std::string& category)
{
    if (!db::recordset_add_new(set)) return false;
    const bool saved = db::recordset_write_text(set, "title", title) &&
                       db::recordset_write_text(set, "text", body) &&
                       db::recordset_write_text(set, "class", category) && db::recordset_update(set);
    // A new row that could not be saved would otherwise be tried again by
    // the next move and keep every later scan from starting.
    // Dropping a row that was never saved cannot fail.
    if (!saved) (void)db::recordset_delete(set, db::Delete::current);
    return saved;
}

QString selected_title()
{
    return ui::item_text(names::window, names::列表框问题列表,
                         ui::current_index(names::window, names::列表框问题列表));
}

void on_created()
{
    ui::apply_xp_style(2);
    const app::ProgramState& s = app::state();

    db::Connection* connection = ui::connection(names::window, names::数据库连接课堂问题);
    // Left to the record set: its opening reports a connection that failed.
    if (connection) (void)app::connect_program_database(*connection);
    ui::set_caption(names::window, s.association_name + "-课堂问题与记录");

    db::RecordSet* set = notes_set();
    if (set && connection) {
        db::recordset_set_connection(*set, *connection);
        // A failed open shows the engine's error and counts -1 rows: the list stays empty.
        (void)db::recordset_open(*set, "ketang", db::Source::table);
        set = notes_set();  // the open may have shown the engine's error
    }
    // Drops the designer's placeholder from the note fields.
    ui::set_text(names::window, names::透明标签问题标题, "");
    ui::set_text(names::window, names::透明标签问题分类, "");
    ui::set_text(names::window, names::透明标签问题时间, "");
    ui::set_text(names::window, names::编辑框问题内容, "");
    if (!set) return;
    db::for_each_row(*set, [](db::RecordSet& row) {
        ui::add_item(names::window, names::列表框问题列表, QString::fromStdString(read_text(row, "title")));
        return true;
    });
}

void on_show_note()
{
    db::RecordSet* set = notes_set();
    if (!set || !move_to_note(*set, selected_title().toStdString())) return;

    db::DateTime time;
    // A time that is NULL or no date-time shows as the zero date-time.
    (void)db::recordset_read_datetime(*set, "time", time);
    ui::set_text(names::window, names::透明标签问题标题, QString::fromStdString(read_text(*set, "title")));
    ui::set_text(names::window, names::透明标签问题时间,
                 QString::fromStdString(assoc::date_time_text(time.year, time.month, time.day, time.hour,
                                                              time.minute, time.second)));
    ui::set_text(names::window, names::透明标签问题分类, QString::fromStdString(read_text(*set, "class")));
    ui::set_text(names::window, names::编辑框问题内容, QString::fromStdString(read_text(*set, "text")));
}

void on_submit()
{
    const QString title = ui::text(names::window, names::编辑框输入标题);
    const QString body = ui::text(names::window, names::编辑框输入内容);
    if (title.isEmpty() || body.isEmpty()) {
        app::show_info("标题和内容为必填项！请重新输入！");
        return;
    }

    db::RecordSet* set = notes_set();
    if (set && is_duplicate(*set, title.toStdString(), body.toStdString())) {
        app::show_info("本条记录已提交！请不要重复记录！");
        return;
    }

    const QString category =
        ui::item_text(names::window, names::组合框1, ui::current_index(names::window, names::组合框1));
    if (!set || !store_note(*set, title.toStdString(), body.toStdString(), category.toStdString())) {
        // The boxes keep what was typed, so nothing is lost when it is sent again.
        app::show_error("抱歉，数据添加失败！请稍后重新提交！");
        return;
    }

    app::show_info("恭喜您！数据添加成功！");
    ui::add_item(names::window, names::列表框问题列表, title);
    ui::set_text(names::window, names::编辑框输入标题, "");
    ui::set_text(names::window, names::编辑框输入内容, "");
    ui::set_current_index(names::window, names::组合框1, 0);
}

void on_delete()
{
    if (ui::message_box("确定要删除该记录吗？", ui::Buttons::ok_cancel, ui::Icon::question,
                        "Selbrac-温馨提示") != ui::Answer::ok) {
        return;
    }
    // With nothing selected the empty text would still match a note stored
    // without a title by other means, and delete a note nobody chose.
    const int selected = ui::current_index(names::window, names::列表框问题列表);
    if (selected < 0) return;

    db::RecordSet* set = notes_set();
    if (!set ||
        !move_to_note(*set, ui::item_text(names::window, names::列表框问题列表, selected).toStdString()))
        return;
    if (!db::recordset_delete(*set, db::Delete::current)) {
        app::show_error("抱歉，记录删除失败！请稍后重试！");
        return;
    }
    ui::remove_item(names::window, names::列表框问题列表, selected);
    clear_shown_note();
}

}  // namespace

void register_notes_handlers()
{
    ui::register_handler(forms::notes::handler::on_created, on_created);
    ui::register_handler(forms::notes::handler::on_show_note, on_show_note);
    ui::register_handler(forms::notes::handler::on_submit, on_submit);
    ui::register_handler(forms::notes::handler::on_delete, on_delete);
}

}  // namespace notes
