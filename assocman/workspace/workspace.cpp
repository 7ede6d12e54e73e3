#include "assocman/workspace/workspace.h"

#include <array>

#include "assocman/forms/about_names.h"
#include "assocman/forms/help_names.h"
#include "assocman/forms/login_names.h"
#include "assocman/forms/member_add_names.h"
#include "assocman/forms/member_list_names.h"
#include "assocman/forms/member_lookup_names.h"
#include "assocman/forms/new_admin_names.h"
#include "assocman/forms/notes_names.h"
#include "assocman/forms/password_change_names.h"
#include "assocman/forms/random_pick_names.h"
#include "assocman/forms/rollcall_names.h"
#include "assocman/forms/whiteboard_editor_names.h"
#include "assocman/forms/workspace_names.h"
#include "assocman/state/maker_page.h"
#include "assocman/state/state.h"
#include "assocman/whiteboard_file/whiteboard_file.h"
#include "platform/ui/desktop.h"
#include "platform/ui/runtime.h"

namespace workspace {
namespace {

namespace names = forms::workspace;

struct MenuEntry {
    const char* handler;  // the item's handler
    const char* item;     // menu item name
    const char* window;   // the window it opens
};

constexpr std::array<MenuEntry, 11> kMenu{{
    {names::handler::open_rollcall, names::菜单会员签到, forms::rollcall::window},
    {names::handler::open_member_lookup, names::菜单会员查询, forms::member_lookup::window},
    {names::handler::open_member_add, names::菜单添加成员, forms::member_add::window},
    {names::handler::open_member_list, names::菜单成员列表, forms::member_list::window},
    {names::handler::open_random_pick, names::菜单随机选人, forms::random_pick::window},
    {names::handler::open_notes, names::菜单问题记录, forms::notes::window},
    {names::handler::open_whiteboard_editor, names::菜单课堂要点, forms::whiteboard_editor::window},
    {names::handler::open_password_change, names::菜单密码修改, forms::password_change::window},
    {names::handler::open_new_admin, names::菜单新建账号, forms::new_admin::window},
    {names::handler::open_about, names::菜单程序简介, forms::about::window},
    {names::handler::open_help, names::菜单程序帮助, forms::help::window},
}};

constexpr std::array<const char*, 4> kLineLabels{
    names::透明标签第一句,
    names::透明标签第二句,
    names::透明标签第三句,
    names::透明标签第四句,
};

void on_created()
{
    auto& st = app::state();
    st.workspace_admin = st.current_admin;
    ui::destroy_window_or_unit(forms::login::window);
    ui::set_caption(
        names::window,
        st.association_name + QStringLiteral("-Ardenvo管理系统主工作区  当前管理用户:") + st.workspace_admin);
    ui::set_text(names::window, names::透明标签1,
                 st.association_name + QStringLiteral("-ArdenvoTarnwickV1.0"));
    ui::apply_xp_style(2);

    st.working_folder = ui::get_current_directory() + QLatin1Char('/');
    whiteboard_file::Whiteboard board =
        whiteboard_file::read_whiteboard_file(st.working_folder + QStringLiteral("usertext/systemad.txt"));
    st.whiteboard_text = std::move(board.text);
    st.whiteboard_lines = std::move(board.lines);
    // Only as many lines as there are labels fit; a longer board shows none
    // rather than a cut-off part of it.
    if (st.whiteboard_lines.size() <= static_cast<qsizetype>(kLineLabels.size())) {
        for (qsizetype i = 0; i < st.whiteboard_lines.size(); ++i)
            ui::set_text(names::window, QString::fromUtf8(kLineLabels[static_cast<std::size_t>(i)]),
                         st.whiteboard_lines[i]);
    }

    // Feature windows arrive one by one; until a window exists its item is
    // greyed out instead of doing nothing when chosen.
    for (const auto& entry : kMenu) {
        if (!ui::has_description(QString::fromUtf8(entry.window)))
            ui::set_disabled(names::window, QString::fromUtf8(entry.item), true);
    }
}

void on_moved()
{
    if (!ui::is_minimised(names::window)) return;
    // Without a notification area the icon could never be double-clicked,
    // and a hidden window would be lost for good; it stays an ordinary
    // minimised window there.
    if (!ui::tray_available()) return;
    ui::show_tray_icon(names::window, names::托盘图标1);
    ui::hide_window(names::window);
}

void on_tray_double_click()
{
    // A placement only takes effect on a visible window, hence show first.
    ui::show_window(names::window);
    ui::restore_centred(names::window);
    ui::hide_tray_icon(names::window, names::托盘图标1);
}

void on_credit_pressed()
{
    // Whether a browser comes up is the desktop's business; the credit line
    // reports nothing either way.
    (void)ui::open_url(QString::fromLatin1(app::kMakerPage));
}

}  // namespace

void register_workspace_handlers()
{
    ui::register_handler(names::handler::on_created, on_created);
    ui::register_handler(names::handler::on_moved, on_moved);
    ui::register_handler(names::handler::on_tray_double_click, on_tray_double_click);
    ui::register_handler(names::handler::on_credit_pressed, on_credit_pressed);
    for (const auto& entry : kMenu) {
        const QString window = QString::fromUtf8(entry.window);
        // A window without a description has its item disabled at creation,
        // so the item that runs this has a window to open.
        ui::register_handler(QString::fromUtf8(entry.handler),
                             [window] { (void)ui::load_window(window, names::window); });
    }
}

}  // namespace workspace
