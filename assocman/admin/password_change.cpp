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

const QString kWindow = kPasswordChangeWindow;
const QString kOld = forms::password_change::编辑框旧密码;
const QString kNew = forms::password_change::编辑框新密码;
const QString kAgain = forms::password_change::编辑框再次输入;
const QString kCurrentUser = forms::password_change::透明标签当前用户名;
const QString kConnection = forms::password_change::数据库连接管理员设置;
const QString kRecordSet = forms::password_change::记录集管理员设置;
const QString kNotSaved = "密码修改失败！新密码未能保存，请稍后重试！";

void on_created()
{
    ui::apply_xp_style(2);
    ui::set_text(kWindow, kCurrentUser, app::state().workspace_admin);
    connect_window_database(kWindow, kConnection);
    open_admin_table(kWindow, kConnection, kRecordSet);
    ui::set_caption(kWindow, app::state().association_name + "--管理员密码修改");
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
    if (ui::text(kWindow, kOld).isEmpty() || ui::text(kWindow, kNew).isEmpty() ||
        ui::text(kWindow, kAgain).isEmpty()) {
        app::show_info("含有未填写的项，请补充完整！");
        ui::set_focus(kWindow, kOld);
        return;
    }
    if (ui::text(kWindow, kNew) != ui::text(kWindow, kAgain)) {
        app::show_info("两次输入的密码不一致！");
        ui::set_focus(kWindow, kOld);
        return;
    }

    // Accounts that cannot be read say nothing about the old password.
    const TableState table = reopen_admin_table_if_closed(kWindow, kConnection, kRecordSet);
    db::RecordSet* records = ui::recordset(kWindow, kRecordSet);
    if (!records) return;
    if (table == TableState::unreadable) {
        app::show_error(kNotSaved);
        return;
    }
    if (!find_account(*records, ui::text(kWindow, kCurrentUser).toStdString(),
                      digest_of(ui::text(kWindow, kOld)))) {
        app::show_info("旧密码输入错误,请重新设定！");
        ui::set_text(kWindow, kOld, "");
        return;
    }

    // The set is a snapshot taken when the window opened; the row may have
    // gone since. Telling the user the password changed when nothing was
    // stored would lock them out at the next start with a password they
    // think is old.
    const bool saved = db::recordset_write_text(*records, "adminpass", digest_of(ui::text(kWindow, kNew))) &&
                       db::recordset_update(*records);
    if (!saved) {
        open_admin_table(kWindow, kConnection, kRecordSet);
        app::show_error(kNotSaved);
        return;
    }
    app::show_info("恭喜您密码修改成功，重新启动程序后生效！");
    ui::destroy_window_or_unit(kWindow);
}

}  // namespace

void register_password_change_handlers()
{
    ui::register_handler(forms::password_change::handler::on_created, on_created);
    ui::register_handler(forms::password_change::handler::on_change, on_change);
}

}  // namespace admin
