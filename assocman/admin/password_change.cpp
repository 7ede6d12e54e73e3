// The logged-in administrator replaces their own password after proving the
// old one. Only `adminpass` is touched: name, rights and lock stay as they are.
#include <string>

#include "assocman/admin/accounts.h"
#include "assocman/admin/admin.h"
#include "assocman/state/state.h"
#include "assocman/state/tip.h"
#include "platform/db/db.h"
#include "platform/ui/runtime.h"

namespace admin {
namespace {

namespace names = forms::password_change;

const QString kNotSaved = "密码修改失败！新密码未能保存，请稍后重试！";

void on_created()
{
    ui::apply_xp_style(2);
    ui::set_text(names::window, names::透明标签当前用户名, app::state().workspace_admin);
    connect_window_database(names::window, names::数据库连接管理员设置);
    open_admin_table(names::window, names::数据库连接管理员设置, names::记录集管理员设置);
    ui::set_caption(names::window, app::state().association_name + "--管理员密码修改");
}

// Leaves the record set on the first row that carries the administrator's
// name and the old password's digest; false when no row does.
bool find_account(db::RecordSet& records, const std::string& name, const std::string& old_digest)
{
    return find_account_row(records, name, [&](db::RecordSet& row) {
        std::string adminpass;
        (void)db::recordset_read_text(row, "adminpass", adminpass);  // unreadable: matches no digest
        return adminpass == old_digest;
    });
}

void on_change()
{
    if (ui::text(names::window, names::编辑框旧密码).isEmpty() ||
        ui::text(names::window, names::编辑框新密码).isEmpty() ||
        ui::text(names::window, names::编辑框再次输入).isEmpty()) {
        app::show_info("含有未填写的项，请补充完整！");
        ui::set_focus(names::window, names::编辑框旧密码);
        return;
    }
    if (ui::text(names::window, names::编辑框新密码) != ui::text(names::window, names::编辑框再次输入)) {
        app::show_info("两次输入的密码不一致！");
        ui::set_focus(names::window, names::编辑框旧密码);
        return;
    }

    // Accounts that cannot be read say nothing about the old password.
    const TableState table =
        reopen_admin_table_if_closed(names::window, names::数据库连接管理员设置, names::记录集管理员设置);
    db::RecordSet* records = ui::recordset(names::window, names::记录集管理员设置);
    if (!records) return;
    if (table == TableState::unreadable) {
        app::show_error(kNotSaved);
        return;
    }
    if (!find_account(*records, ui::text(names::window, names::透明标签当前用户名).toStdString(),
                      digest_of(ui::text(names::window, names::编辑框旧密码)))) {
        app::show_info("旧密码输入错误,请重新设定！");
        ui::set_text(names::window, names::编辑框旧密码, "");
        return;
    }

    // The set is a snapshot taken when the window opened; the row may have
    // gone since. Telling the user the password changed when nothing was
    // stored would lock them out at the next start with a password they
    // think is old.
    const bool saved = db::recordset_write_text(*records, "adminpass",
                                                digest_of(ui::text(names::window, names::编辑框新密码))) &&
                       db::recordset_update(*records);
    if (!saved) {
        open_admin_table(names::window, names::数据库连接管理员设置, names::记录集管理员设置);
        app::show_error(kNotSaved);
        return;
    }
    app::show_info("恭喜您密码修改成功，重新启动程序后生效！");
    ui::destroy_window_or_unit(names::window);
}

}  // namespace

void register_password_change_handlers()
{
    ui::register_handler(forms::password_change::handler::on_created, on_created);
    ui::register_handler(forms::password_change::handler::on_change, on_change);
}

}  // namespace admin
