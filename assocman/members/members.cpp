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

const QString kAddConnection = forms::member_add::数据库连接成员添加;
const QString kAddRecordSet = forms::member_add::记录集成员添加;
const QString kName = forms::member_add::编辑框姓名;
const QString kPhone = forms::member_add::编辑框手机号;
const QString kDepartment = forms::member_add::编辑框系别;
const QString kNumber = forms::member_add::编辑框编号;
const QString kMale = forms::member_add::单选框1;
const QString kFemale = forms::member_add::单选框2;

const QString kListConnection = forms::member_list::数据库连接成员列表;
const QString kListRecordSet = forms::member_list::记录集成员列表;
const QString kList = forms::member_list::超级列表框1;

// ---- member add -------------------------------------------------------------

void add_on_created()
{
    ui::apply_xp_style(2);
    ui::set_caption(kAddWindow, app::state().association_name + "-成员添加");

    db::Connection* connection = ui::connection(kAddWindow, kAddConnection);
    db::RecordSet* records = ui::recordset(kAddWindow, kAddRecordSet);
    if (!connection || !records || !app::connect_program_database(*connection)) {
        app::show_error("与数据库连接失败，无法添加成员！");
        ui::destroy_window_or_unit(kAddWindow);
        return;
    }
    db::recordset_set_connection(*records, *connection);
}

void add_on_add()
{
    if (ui::text(kAddWindow, kName).isEmpty() || ui::text(kAddWindow, kPhone).isEmpty()) {
        app::show_info("姓名或手机不能为空，请重新编辑后再添加！");
        ui::set_focus(kAddWindow, kName);
        return;
    }

    QString sex;
    if (ui::is_checked(kAddWindow, kMale)) sex = "男";
    if (ui::is_checked(kAddWindow, kFemale)) sex = "女";

    // The typed texts go in as bound values, so a quote in a name is stored as
    // typed instead of breaking the statement (or running as SQL).
    const std::vector<db::Param> values = {
        ui::text(kAddWindow, kName).toStdString(),       ui::text(kAddWindow, kPhone).toStdString(),
        ui::text(kAddWindow, kDepartment).toStdString(), sex.toStdString(),
        ui::text(kAddWindow, kNumber).toStdString(),
    };

    db::RecordSet* records = ui::recordset(kAddWindow, kAddRecordSet);
    const bool added =
        records &&
        db::recordset_open(*records, "insert into causer (name,phonenum,class,sex,xuehao) values (?,?,?,?,?)",
                           db::Source::sql, values);
    if (!added) {
        app::show_info("很抱歉，成员添加失败，请检查资料是否填写正确！");
        return;
    }

    app::show_info("恭喜您，成员添加成功！");
    for (const QString& box : {kName, kPhone, kDepartment, kNumber}) ui::set_text(kAddWindow, box, "");
    ui::set_focus(kAddWindow, kName);
}

// ---- member list ------------------------------------------------------------

void list_on_created()
{
    ui::apply_xp_style(2);
    ui::set_caption(kListWindow, app::state().association_name + "-成员列表");

    db::Connection* connection = ui::connection(kListWindow, kListConnection);
    db::RecordSet* records = ui::recordset(kListWindow, kListRecordSet);
    if (!connection || !records || !app::connect_program_database(*connection)) {
        ui::message_box("抱歉，与数据库通信失败，无法为您打开成员列表！", ui::Buttons::ok, ui::Icon::warning,
                        "数据库错误");
        ui::destroy_window_or_unit(kListWindow);
        return;
    }
    db::recordset_set_connection(*records, *connection);
    // A failed open has already shown the engine's error; the list stays empty.
    // That box lets a posted close through; the list then finds no window.
    (void)db::recordset_open(*records, "select * from causer", db::Source::sql);
    // The list reads the set's rows as it draws them: one snapshot, no copy.
    // Columns as the header shows them: name, phone, number, sex, department, remarks.
    ui::show_recordset_rows(kListWindow, kList, kListRecordSet,
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
