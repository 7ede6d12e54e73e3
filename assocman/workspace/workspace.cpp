#include "assocman/workspace/workspace.h"

#include <array>

#include "assocman/state/maker_page.h"
#include "assocman/state/state.h"
#include "assocman/whiteboard_file/whiteboard_file.h"
#include "platform/ui/desktop.h"
#include "platform/ui/runtime.h"

namespace workspace {
namespace {

const QString kWindow = QStringLiteral("workspace");
const QString kTray = QStringLiteral("托盘图标1");

struct MenuEntry {
    const char* handler;  // after "workspace."
    const char* item;     // menu item name in workspace.json
    const char* window;   // the window it opens
};

constexpr std::array<MenuEntry, 11> kMenu{{
    {"open_rollcall", "菜单会员签到", "rollcall"},
    {"open_member_lookup", "菜单会员查询", "member_lookup"},
    {"open_member_add", "菜单添加成员", "member_add"},
    {"open_member_list", "菜单成员列表", "member_list"},
    {"open_random_pick", "菜单随机选人", "random_pick"},
    {"open_notes", "菜单问题记录", "notes"},
    {"open_whiteboard_editor", "菜单课堂要点", "whiteboard_editor"},
    {"open_password_change", "菜单密码修改", "password_change"},
    {"open_new_admin", "菜单新建账号", "new_admin"},
    {"open_about", "菜单程序简介", "about"},
    {"open_help", "菜单程序帮助", "help"},
}};

constexpr std::array<const char*, 4> kLineLabels{
    "透明标签第一句",
    "透明标签第二句",
    "透明标签第三句",
    "透明标签第四句",
};

void on_created()
{
    auto& st = app::state();
    st.workspace_admin = st.current_admin;
    ui::destroy_window_or_unit(QStringLiteral("login"));
    ui::set_caption(kWindow, st.association_name + QStringLiteral("-Ardenvo管理系统主工作区  当前管理用户:") +
                                 st.workspace_admin);
    ui::set_text(kWindow, QStringLiteral("透明标签1"),
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
            ui::set_text(kWindow, QString::fromUtf8(kLineLabels[static_cast<std::size_t>(i)]),
                         st.whiteboard_lines[i]);
    }

    // Feature windows arrive one by one; until a window exists its item is
    // greyed out instead of doing nothing when chosen.
    for (const auto& entry : kMenu) {
        if (!ui::has_description(QString::fromUtf8(entry.window)))
            ui::set_disabled(kWindow, QString::fromUtf8(entry.item), true);
    }
}

void on_moved()
{
    if (!ui::is_minimised(kWindow)) return;
    // Without a notification area the icon could never be double-clicked,
    // and a hidden window would be lost for good; it stays an ordinary
    // minimised window there.
    if (!ui::tray_available()) return;
    ui::show_tray_icon(kWindow, kTray);
    ui::hide_window(kWindow);
}

void on_tray_double_click()
{
    // A placement only takes effect on a visible window, hence show first.
    ui::show_window(kWindow);
    ui::restore_centred(kWindow);
    ui::hide_tray_icon(kWindow, kTray);
}

void on_credit_pressed()
{
    // Whether a browser comes up is the desktop's business; nothing to report.
    ui::open_url(QString::fromLatin1(app::kMakerPage));
}

}  // namespace

void register_workspace_handlers()
{
    ui::register_handler(QStringLiteral("workspace.on_created"), on_created);
    ui::register_handler(QStringLiteral("workspace.on_moved"), on_moved);
    ui::register_handler(QStringLiteral("workspace.on_tray_double_click"), on_tray_double_click);
    ui::register_handler(QStringLiteral("workspace.on_credit_pressed"), on_credit_pressed);
    for (const auto& entry : kMenu) {
        const QString window = QString::fromUtf8(entry.window);
        ui::register_handler(QStringLiteral("workspace.") + QString::fromUtf8(entry.handler),
                             [window] { ui::load_window(window, kWindow); });
    }
}

}  // namespace workspace
