#include "assocman/lookup/lookup.h"

#include <string>

#include "assocman/state/state.h"
#include "assocman/state/tip.h"
#include "platform/db/db.h"
#include "platform/ui/runtime.h"

namespace lookup {
namespace {

namespace names = forms::member_lookup;

// Lives as long as one opening of the window; the creation clears it, so a
// member found in an earlier opening never unlocks the boxes.
struct Found {
    bool member_found = false;
    // Kept at the width the database gives: a narrower copy could name
    // another row when the save looks the member up again.
    long long member_id = 0;
};
Found found;

db::RecordSet* records() { return ui::recordset(names::window, names::记录集会员查询); }

// Opening the table may show the engine's error box, during which the window
// can go away; callers fetch the set again afterwards rather than keep it.
bool open_members()
{
    db::RecordSet* set = records();
    return set && db::recordset_open(*set, "causer", db::Source::table);
}

QString read_text(db::RecordSet& set, const char* field)
{
    std::string value;
    (void)db::recordset_read_text(set, field, value);  // unreadable: shown as the empty text
    return QString::fromStdString(value);
}

void on_created()
{
    found = Found{};
    ui::apply_xp_style(2);
    ui::set_focus(names::window, names::编辑框姓名找人);

    db::Connection* connection = ui::connection(names::window, names::数据库连接会员查询);
    db::RecordSet* set = records();
    if (!connection || !set) return;

    auto& s = app::state();
    if (!app::connect_program_database(*connection)) {
        app::show_info("数据库连接失败！程序无法正常使用！");
        return;
    }
    db::recordset_set_connection(*set, *connection);
    ui::set_caption(names::window, s.association_name + "-会员资料库");
}

void on_lookup()
{
    open_members();

    const QString criterion = ui::text(names::window, names::编辑框姓名找人);
    if (criterion.isEmpty()) {
        app::show_info("查找条件不能为空！");
        ui::set_focus(names::window, names::编辑框姓名找人);
        return;
    }

    // Names compare as stored: case and blanks count, nothing is trimmed.
    const std::string wanted = criterion.toStdString();
    db::RecordSet* set = records();
    std::string name;
    // A fresh set with nothing pending: the walk visits every row.
    if (set && db::find_row(*set, [&](db::RecordSet& row) {
            (void)db::recordset_read_text(row, "name", name);  // unreadable: the empty text, never wanted
            return name == wanted;
        })) {
        long long id = 0;
        // The database gives every row its integer id.
        (void)db::recordset_read_integer(*set, "id", id);
        found.member_id = id;
        ui::set_text(names::window, names::编辑框姓名, QString::fromStdString(name));
        ui::set_text(names::window, names::编辑框学号, read_text(*set, "xuehao"));
        ui::set_text(names::window, names::编辑框系别, read_text(*set, "class"));
        ui::set_text(names::window, names::编辑框备注, read_text(*set, "otherinfo"));
        ui::set_text(names::window, names::编辑框手机号, read_text(*set, "phonenum"));
        found.member_found = true;
        return;
    }

    app::show_info("抱歉，尚未查找到您需要的信息！");
    found.member_found = false;
}

void on_correct()
{
    if (!found.member_found) {
        app::show_info("未查找数据，禁止修改数据！");
        return;
    }
    // The phone number is shown only: this window never writes it.
    ui::set_edit_mode(names::window, names::编辑框姓名, "normal");
    ui::set_edit_mode(names::window, names::编辑框学号, "integer");
    ui::set_edit_mode(names::window, names::编辑框系别, "normal");
    ui::set_edit_mode(names::window, names::编辑框备注, "normal");
    ui::set_disabled(names::window, names::按钮保存数据, false);
    ui::set_focus(names::window, names::编辑框姓名);
}

void on_save()
{
    const bool opened = open_members();

    // A set that did not open has already shown the engine's error. Until a
    // save succeeds the boxes stay as they are, editable and with what was
    // typed, so trying again is one click.
    db::RecordSet* set = records();
    if (!opened || !set) return;

    // The row is found again by its id, so a renamed member stays the same row.
    // Refused only for an empty table, where the find below fails as well.
    (void)db::recordset_move_first(*set);
    bool saved = db::recordset_find(*set, "id=" + std::to_string(found.member_id), db::Search::forward);
    if (saved) {
        saved = db::recordset_write_text(*set, "name",
                                         ui::text(names::window, names::编辑框姓名).toStdString()) &&
                db::recordset_write_text(*set, "xuehao",
                                         ui::text(names::window, names::编辑框学号).toStdString()) &&
                db::recordset_write_text(*set, "class",
                                         ui::text(names::window, names::编辑框系别).toStdString()) &&
                db::recordset_write_text(*set, "otherinfo",
                                         ui::text(names::window, names::编辑框备注).toStdString()) &&
                db::recordset_update(*set);
    }
    if (!saved) {
        // Never claim an update that did not reach the file (the row is gone,
        // or another window holds the database for writing).
        app::show_error("抱歉，本条数据未能更新！");
        return;
    }
    for (const char* box : {names::编辑框姓名, names::编辑框学号, names::编辑框系别, names::编辑框备注})
        ui::set_edit_mode(names::window, box, "readonly");
    ui::set_disabled(names::window, names::按钮保存数据, true);
    ui::set_focus(names::window, names::编辑框姓名找人);
    app::show_info("恭喜您！本条数据已更新！");
}

}  // namespace

void register_lookup_handlers()
{
    ui::register_handler(forms::member_lookup::handler::on_created, on_created);
    ui::register_handler(forms::member_lookup::handler::on_lookup, on_lookup);
    ui::register_handler(forms::member_lookup::handler::on_correct, on_correct);
    ui::register_handler(forms::member_lookup::handler::on_save, on_save);
}

}  // namespace lookup
