#include "assocman/members/members.h"

#include <string>
#include <vector>

#include "assocman/state/state.h"
#include "assocman/state/tip.h"
#include "platform/db/db.h"
#include "platform/ui/message.h"
#include "platform/ui/runtime.h"

namespace members {
namespace {

namespace add = forms::member_add;
namespace list = forms::member_list;

// ---- member add -------------------------------------------------------------

void add_on_created()
{
    ui::apply_xp_style(2);
    ui::set_caption(add::window, app::state().association_name + "-成员添加");

    db::Connection* connection = ui::connection(add::window, add::数据库连接成员添加);
    db::RecordSet* records = ui::recordset(add::window, add::记录集成员添加);
    if (!connection || !records || !app::connect_program_database(*connection)) {
        app::show_error("与数据库连接失败，无法添加成员！");
        ui::destroy_window_or_unit(add::window);
        return;
    }
    db::recordset_set_connection(*records, *connection);
}

void add_on_add()
{
    if (ui::text(add::window, add::编辑框姓名).isEmpty() ||
        ui::text(add::window, add::编辑框手机号).isEmpty()) {
        app::show_info("姓名或手机不能为空，请重新编辑后再添加！");
        ui::set_focus(add::window, add::编辑框姓名);
        return;
    }

    QString sex;
    if (ui::is_checked(add::window, add::单选框1)) sex = "男";
    if (ui::is_checked(add::window, add::单选框2)) sex = "女";

    // The typed texts go in as bound values, so a quote in a name is stored as
    // typed instead of breaking the statement (or running as SQL).
    const std::vector<db::Param> values = {
        ui::text(add::window, add::编辑框姓名).toStdString(),
        ui::text(add::window, add::编辑框手机号).toStdString(),
        ui::text(add::window, add::编辑框系别).toStdString(),
        sex.toStdString(),
        ui::text(add::window, add::编辑框编号).toStdString(),
    };

    db::RecordSet* records = ui::recordset(add::window, add::记录集成员添加);
    const bool added =
        records &&
        db::recordset_open(*records, "insert into causer (name,phonenum,class,sex,xuehao) values (?,?,?,?,?)",
                           db::Source::sql, values);
    if (!added) {
        app::show_info("很抱歉，成员添加失败，请检查资料是否填写正确！");
        return;
    }

    app::show_info("恭喜您，成员添加成功！");
    for (const char* box : {add::编辑框姓名, add::编辑框手机号, add::编辑框系别, add::编辑框编号})
        ui::set_text(add::window, box, "");
    ui::set_focus(add::window, add::编辑框姓名);
}

// ---- member list ------------------------------------------------------------

void list_on_created()
{
    ui::apply_xp_style(2);
    ui::set_caption(list::window, app::state().association_name + "-成员列表");

    db::Connection* connection = ui::connection(list::window, list::数据库连接成员列表);
    db::RecordSet* records = ui::recordset(list::window, list::记录集成员列表);
    if (!connection || !records || !app::connect_program_database(*connection)) {
        ui::message_box("抱歉，与数据库通信失败，无法为您打开成员列表！", ui::Buttons::ok, ui::Icon::warning,
                        "数据库错误");
        ui::destroy_window_or_unit(list::window);
        return;
    }
    db::recordset_set_connection(*records, *connection);
    // A failed open has already shown the engine's error; the list stays empty.
    // That box lets a posted close through; the list then finds no window.
    (void)db::recordset_open(*records, "select * from causer", db::Source::sql);
    // The list reads the set's rows as it draws them: one snapshot, no copy.
    // Columns as the header shows them: name, phone, number, sex, department, remarks.
    ui::show_recordset_rows(list::window, list::超级列表框1, list::记录集成员列表,
                            {"name", "phonenum", "xuehao", "sex", "class", "otherinfo"});
}

}  // namespace

void register_members_handlers()
{
    ui::register_handler(forms::member_add::handler::on_created, add_on_created);
    ui::register_handler(forms::member_add::handler::on_add, add_on_add);
    ui::register_handler(forms::member_list::handler::on_created, list_on_created);
}

}  // namespace members
