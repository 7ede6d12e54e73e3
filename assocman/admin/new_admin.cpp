// A super administrator creates a further administrator account. This is the
// only place in the program that reads or writes the rights `quanxian`.
#include <string>

#include "assocman/admin/accounts.h"
#include "assocman/admin/admin.h"
#include "assocman/state/state.h"
#include "assocman/state/tip.h"
#include "platform/db/db.h"
#include "platform/ui/runtime.h"

namespace admin {
namespace {

namespace names = forms::new_admin;

const QString kNotSaved = "新建账号失败！账号未能保存，请稍后重试！";

// True when some row carries `name` with any rights but super administrator.
// A name that no row carries is not refused: the rights are only known for
// accounts that are still there.
bool lacks_rights(db::RecordSet& records, const std::string& name)
{
    return find_account_row(records, name, [](db::RecordSet& row) {
        std::string rights;
        (void)db::recordset_read_text(row, "quanxian", rights);  // unreadable: no rights
        return rights != kSuperAdmin;
    });
}

bool name_taken(db::RecordSet& records, const std::string& name)
{
    return find_account_row(records, name, [](db::RecordSet&) { return true; });
}

// Tells the user and closes the window when the logged-in administrator is
// not a super administrator.
bool refuse_without_rights(db::RecordSet& records)
{
    if (!lacks_rights(records, app::state().workspace_admin.toStdString())) return false;
    app::show_info("您的权限不足！暂时无法新建账号！");
    ui::destroy_window_or_unit(names::window);
    return true;
}

void on_created()
{
    ui::apply_xp_style(2);
    connect_window_database(names::window, names::数据库连接新建账号);
    ui::set_caption(names::window, app::state().association_name + "-新建管理员");
    open_admin_table(names::window, names::数据库连接新建账号, names::记录集新建账号);

    if (db::RecordSet* records = ui::recordset(names::window, names::记录集新建账号))
        refuse_without_rights(*records);
}

void on_create()
{
    if (ui::text(names::window, names::编辑框账号).isEmpty() ||
        ui::text(names::window, names::编辑框密码).isEmpty() ||
        ui::text(names::window, names::编辑框密码确认).isEmpty()) {
        app::show_info("含有未填写的项，请补充完整！");
        ui::set_focus(names::window, names::编辑框账号);
        return;
    }
    if (ui::text(names::window, names::编辑框密码) != ui::text(names::window, names::编辑框密码确认)) {
        app::show_info("两次输入的密码不一致！请重新输入！");
        ui::set_text(names::window, names::编辑框密码, "");
        ui::set_text(names::window, names::编辑框密码确认, "");
        ui::set_focus(names::window, names::编辑框账号);
        return;
    }

    const TableState table =
        reopen_admin_table_if_closed(names::window, names::数据库连接新建账号, names::记录集新建账号);
    db::RecordSet* records = ui::recordset(names::window, names::记录集新建账号);
    if (!records) return;
    if (table == TableState::unreadable) {
        app::show_error(kNotSaved);
        return;
    }
    // Rights that could not be read when the window opened are checked now,
    // before anything is written.
    if (table == TableState::reopened && refuse_without_rights(*records)) return;

    const QString name = ui::text(names::window, names::编辑框账号);
    if (name_taken(*records, name.toStdString())) {
        app::show_info("该用户名已存在，请更换用户名！");
        ui::set_text(names::window, names::编辑框账号, "");
        return;
    }

    // Saying the account exists when the row was never stored (database gone,
    // write refused) would send the new administrator to a login that fails.
    const bool saved =
        db::recordset_add_new(*records) &&
        db::recordset_write_text(*records, "adminname", name.toStdString()) &&
        db::recordset_write_text(*records, "adminpass",
                                 digest_of(ui::text(names::window, names::编辑框密码))) &&
        db::recordset_write_text(
            *records, "quanxian",
            ui::is_checked(names::window, names::选择框权限设置) ? kSuperAdmin : kOrdinaryAdmin) &&
        db::recordset_update(*records);
    if (!saved) {
        // Drops the half-made row, so the next click starts from the file.
        if (db::record_count(*records) >= 0)
            open_admin_table(names::window, names::数据库连接新建账号, names::记录集新建账号);
        app::show_error(kNotSaved);
        return;
    }
    app::show_info("恭喜您添加用户" + name + "成功！");
    ui::destroy_window_or_unit(names::window);
}

}  // namespace

void register_new_admin_handlers()
{
    ui::register_handler(forms::new_admin::handler::on_created, on_created);
    ui::register_handler(forms::new_admin::handler::on_create, on_create);
}

}  // namespace admin
