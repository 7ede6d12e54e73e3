#include "assocman/login/login.h"

#include <string>

#include "assocman/forms/workspace_names.h"
#include "assocman/state/state.h"
#include "assocman/state/tip.h"
#include "core/configuration.h"
#include "core/digest.h"
#include "platform/db/db.h"
#include "platform/secure/wipe.h"
#include "platform/ui/runtime.h"

namespace login {
namespace {

namespace names = forms::login;

// The configuration reader reaches the user and this window through here.
class LoginConfigurationHost final : public assoc::ConfigurationHost {
public:
    void show_stop_message(const std::string& utf8_text) override
    {
        app::show_error(QString::fromStdString(utf8_text));
    }
    void request_login_close() override { ui::destroy_window_or_unit(names::window); }
};

void on_created()
{
    auto& s = app::state();
    ui::apply_xp_style(2);

    LoginConfigurationHost host;
    std::string name = s.association_name.toStdString();
    std::string password = s.database_password.toStdString();
    assoc::load_configuration(ui::get_program_directory().toStdString(), host, name, password);
    s.association_name = QString::fromStdString(name);
    s.database_password = QString::fromStdString(password);
    secure::wipe(password);

    ui::set_caption(names::window, s.association_name + "管理系统");

    db::Connection* connection = ui::connection(names::window, names::数据库连接1);
    db::RecordSet* records = ui::recordset(names::window, names::记录集1);
    if (!connection || !records) return;

    if (!app::connect_program_database(*connection)) {
        app::show_info("数据库连接失败！程序无法正常使用！");
        ui::destroy_window_or_unit(names::window);
        return;
    }
    db::recordset_set_connection(*records, *connection);
}

void clear_and_refocus(const QString& first, const QString& second)
{
    ui::set_text(names::window, first, "");
    ui::set_text(names::window, second, "");
    ui::set_focus(names::window, names::编辑框用户名);
}

void on_login()
{
    if (ui::text(names::window, names::编辑框用户名).isEmpty() ||
        ui::text(names::window, names::编辑框密码).isEmpty()) {
        app::show_info("用户名或密码不为空，请重新输入！");
        ui::set_focus(names::window, names::编辑框用户名);
        return;
    }

    db::RecordSet* records = ui::recordset(names::window, names::记录集1);
    // A table that cannot be opened shows the engine's error, has no row to
    // visit and so ends as a wrong name or password.
    if (records) {
        (void)db::recordset_open(*records, "adminuser", db::Source::table);
        // The engine's error box keeps events flowing: the window may be gone
        // when it returns, and its record set with it.
        if (!(records = ui::recordset(names::window, names::记录集1))) return;
    }

    std::string adminname;
    bool disabled = false;
    // Nothing is written here, so the walk visits every row.
    if (records && db::find_row(*records, [&](db::RecordSet& row) {
            std::string adminpass;
            // A field that cannot be read is the empty text, which matches no
            // typed name, or false: a NULL `disabled` locks nothing.
            (void)db::recordset_read_text(row, "adminname", adminname);
            (void)db::recordset_read_text(row, "adminpass", adminpass);
            (void)db::recordset_read_bool(row, "disabled", disabled);
            return ui::text(names::window, names::编辑框用户名).toStdString() == adminname &&
                   assoc::password_digest(ui::text(names::window, names::编辑框密码).toStdString()) ==
                       adminpass;
        })) {
        if (disabled) {
            app::show_error("该用户已被锁定！无法完成登陆操作！");
            clear_and_refocus(names::编辑框密码, names::编辑框用户名);
            return;
        }
        app::state().current_admin = QString::fromStdString(adminname);
        // Every description is loaded at start-up or the program does
        // not start, so the workspace's is there to open.
        (void)ui::load_window(forms::workspace::window);
        return;
    }

    app::show_info("用户名或密码错误！无法完成验证！");
    clear_and_refocus(names::编辑框用户名, names::编辑框密码);
}

void on_exit() { ui::exit_program(0); }

void on_destroy()
{
    if (db::Connection* connection = ui::connection(names::window, names::数据库连接1))
        db::db_close(*connection);
}

}  // namespace

void register_login_handlers()
{
    ui::register_handler(forms::login::handler::on_created, on_created);
    ui::register_handler(forms::login::handler::on_login, on_login);
    ui::register_handler(forms::login::handler::on_exit, on_exit);
    ui::register_handler(forms::login::handler::on_destroy, on_destroy);
}

}  // namespace login
