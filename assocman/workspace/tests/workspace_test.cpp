#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QUrl>
#include <QWidget>
#include <array>
#include <map>
#include <optional>
#include <string>

#include "assocman/state/maker_page.h"
#include "platform/ui/testing.h"
#include "workspace_fixture.h"

namespace {

using namespace std::string_literals;
using workspace_test::add_feature_window;
using workspace_test::WorkspaceFixture;

const QString kWs = QStringLiteral("workspace");

QString u(const char* utf8) { return QString::fromUtf8(utf8); }

// ---- whiteboard labels --------------------------------------------------------

struct LabelCase {
    const char* name;
    std::optional<std::string> file;  // none: no whiteboard file at all
    std::array<const char*, 4> labels;
};

const LabelCase kLabelCases[] = {
    {"missing_file", std::nullopt, {" ", " ", " ", " "}},
    {"empty_file", ""s, {" ", " ", " ", " "}},
    {"a_b_with_trailing_break", "a\r\nb\r\n"s, {"a", "b", " ", " "}},
    {"empty_middle_line", "a\r\n\r\nb"s, {"a", "", "b", " "}},
    {"leading_break", "\r\nb"s, {"", "b", " ", " "}},
    {"outer_spaces_trimmed_inner_kept", "\xA1\xA1 a \r\nb\xA1\xA1 \xA1\xA1"s, {"a ", "b", " ", " "}},
    {"one_gbk_line", "\xC4\xDA\xC8\xDD"s, {"内容", " ", " ", " "}},
    {"three_lines", "1\r\n2\r\n3"s, {"1", "2", "3", " "}},
    {"four_lines", "1\r\n2\r\n3\r\n4"s, {"1", "2", "3", "4"}},
    {"five_lines", "1\r\n2\r\n3\r\n4\r\n5"s, {" ", " ", " ", " "}},
    {"zero_byte_cuts_fifth_line", "1\r\n2\r\n3\r\n4\0\r\n5"s, {"1", "2", "3", "4"}},
};

void PrintTo(const LabelCase& c, std::ostream* os) { *os << c.name; }

class WorkspaceLabels : public WorkspaceFixture, public ::testing::WithParamInterface<LabelCase> {};

TEST_P(WorkspaceLabels, ShowLinesByCount)
{
    const LabelCase& c = GetParam();
    if (c.file) write_whiteboard(*c.file);
    open_workspace();
    ASSERT_TRUE(ui::is_window_open(kWs));

    EXPECT_EQ(label("透明标签第一句"), u(c.labels[0]));
    EXPECT_EQ(label("透明标签第二句"), u(c.labels[1]));
    EXPECT_EQ(label("透明标签第三句"), u(c.labels[2]));
    EXPECT_EQ(label("透明标签第四句"), u(c.labels[3]));
    EXPECT_EQ(app::state().working_folder, QDir::currentPath() + QLatin1Char('/'));
}

INSTANTIATE_TEST_SUITE_P(Whiteboard, WorkspaceLabels, ::testing::ValuesIn(kLabelCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WorkspaceFixture, KeepsWhiteboardTextAndLinesProgramWide)
{
    write_whiteboard(" x\r\n\r\ny\r\n ");
    open_workspace();
    EXPECT_EQ(app::state().whiteboard_text, u("x\r\n\r\ny\r\n"));
    EXPECT_EQ(app::state().whiteboard_lines, (QStringList{u("x"), u(""), u("y")}));
}

// ---- creation ---------------------------------------------------------------

struct CaptionCase {
    const char* name;
    const char* association;
    const char* admin;
    const char* caption;
    const char* header;
};

const CaptionCase kCaptionCases[] = {
    {"named", "Quillet", "admin", "Quillet-Ardenvo管理系统主工作区  当前管理用户:admin",
     "Quillet-ArdenvoTarnwickV1.0"},
    {"no_association_name", "", "admin", "-Ardenvo管理系统主工作区  当前管理用户:admin",
     "-ArdenvoTarnwickV1.0"},
    {"chinese_names", "星火社", "管理员", "星火社-Ardenvo管理系统主工作区  当前管理用户:管理员",
     "星火社-ArdenvoTarnwickV1.0"},
    {"no_admin", "Quillet", "",
     "Quillet-Ardenvo管理系统主工作区  当前管理用户:", "Quillet-ArdenvoTarnwickV1.0"},
};

void PrintTo(const CaptionCase& c, std::ostream* os) { *os << c.name; }

class WorkspaceCaption : public WorkspaceFixture, public ::testing::WithParamInterface<CaptionCase> {};

TEST_P(WorkspaceCaption, TitleAndHeader)
{
    const CaptionCase& c = GetParam();
    app::state().association_name = u(c.association);
    app::state().current_admin = u(c.admin);
    open_workspace();
    EXPECT_EQ(ui::caption(kWs), u(c.caption));
    EXPECT_EQ(label("透明标签1"), u(c.header));
    EXPECT_EQ(app::state().workspace_admin, u(c.admin));
}

INSTANTIATE_TEST_SUITE_P(Names, WorkspaceCaption, ::testing::ValuesIn(kCaptionCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WorkspaceFixture, CreationAppliesStyleAndClosesLogin)
{
    ui::apply_xp_style(0);
    ASSERT_TRUE(ui::load_window(QStringLiteral("login")));
    ASSERT_TRUE(ui::load_window(kWs));
    // The close is asked for during creation and happens afterwards.
    EXPECT_TRUE(ui::is_window_closing(QStringLiteral("login")));
    EXPECT_TRUE(test_support::wait_until([] { return !ui::window_widget(QStringLiteral("login")); }));
    EXPECT_FALSE(ui::is_window_closing(QStringLiteral("login")));
    EXPECT_TRUE(ui::is_window_open(kWs));
    EXPECT_EQ(ui::open_window_count(), 1);
    EXPECT_EQ(ui::current_xp_style(), 2);
}

TEST_F(WorkspaceFixture, EscDoesNotCloseTheWorkspace)
{
    open_workspace();
    QTest::keyClick(ui::window_widget(kWs), Qt::Key_Escape);
    test_support::process_queued_events();
    EXPECT_TRUE(ui::is_window_open(kWs));
}

TEST_F(WorkspaceFixture, CreditLineOpensMakerPage)
{
    open_workspace();
    QWidget* credit = ui::control_widget(kWs, QStringLiteral("透明标签2"));
    ASSERT_NE(credit, nullptr);
    EXPECT_EQ(credit->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(urls_opened_by_clicking(kWs, QStringLiteral("透明标签2")),
              QList<QUrl>{QUrl(QString::fromLatin1(app::kMakerPage))});
    EXPECT_TRUE(ui::presenter::shown().isEmpty());
}

// ---- menus ------------------------------------------------------------------

struct MenuItem {
    const char* item;     // menu item name
    const char* caption;  // what the user sees
    const char* window;
    Qt::Key key;
};

const MenuItem kMenu[] = {
    {"菜单会员签到", "会员签到", "rollcall", Qt::Key_Q},
    {"菜单会员查询", "会员查询", "member_lookup", Qt::Key_F},
    {"菜单添加成员", "添加成员", "member_add", Qt::Key_I},
    {"菜单成员列表", "成员列表", "member_list", Qt::Key_L},
    {"菜单随机选人", "随机选人", "random_pick", Qt::Key_R},
    {"菜单问题记录", "问题记录", "notes", Qt::Key_W},
    {"菜单课堂要点", "课堂要点", "whiteboard_editor", Qt::Key_Z},
    {"菜单密码修改", "密码修改", "password_change", Qt::Key_U},
    {"菜单新建账号", "新建账号", "new_admin", Qt::Key_N},
    {"菜单程序简介", "程序简介", "about", Qt::Key_I},
    {"菜单程序帮助", "程序帮助", "help", Qt::Key_H},
};

class WorkspaceMenu : public WorkspaceFixture {
protected:
    // Every feature window as a dummy that counts its creations.
    void add_all_windows()
    {
        for (const MenuItem& m : kMenu) add_feature_window(u(m.window), &created_[m.window]);
    }

    QAction* action(const char* caption)
    {
        for (QAction* a : ui::window_widget(kWs)->findChildren<QAction*>()) {
            if (a->text() == u(caption) || a->text().startsWith(u(caption) + QLatin1Char('\t'))) return a;
        }
        return nullptr;
    }

    void choose(const char* caption)
    {
        QAction* a = action(caption);
        ASSERT_NE(a, nullptr) << caption;
        a->trigger();
        test_support::process_queued_events();
    }

    void press_ctrl(Qt::Key key)
    {
        QWidget* w = ui::window_widget(kWs);
        ASSERT_NE(w, nullptr);
        w->activateWindow();
        // isActiveWindow() already holds while an owned window is active;
        // the shortcut only reaches the workspace once it is the active one.
        ASSERT_TRUE(test_support::wait_until([w] { return QApplication::activeWindow() == w; }));
        QTest::keyClick(w, key, Qt::ControlModifier);
        test_support::process_queued_events();
    }

    // A minimised window is how "brought forward" shows headless.
    void minimise(const char* window)
    {
        QWidget* w = ui::window_widget(u(window));
        ASSERT_NE(w, nullptr);
        w->showMinimized();
        ASSERT_TRUE(test_support::wait_until([window] { return ui::is_minimised(u(window)); }));
    }

    std::map<std::string, int> created_;
};

TEST_F(WorkspaceMenu, EachItemOpensItsWindowOnce)
{
    add_all_windows();
    open_workspace();
    for (const MenuItem& m : kMenu) {
        SCOPED_TRACE(m.caption);
        EXPECT_FALSE(ui::is_disabled(kWs, u(m.item)));
        choose(m.caption);
        EXPECT_TRUE(ui::is_window_open(u(m.window)));
        EXPECT_EQ(created_[m.window], 1);
        const QPointer<QWidget> first = ui::window_widget(u(m.window));
        minimise(m.window);
        choose(m.caption);
        EXPECT_EQ(created_[m.window], 1);
        EXPECT_EQ(ui::window_widget(u(m.window)), first.data());
        EXPECT_FALSE(ui::is_minimised(u(m.window)));
    }
}

TEST_F(WorkspaceMenu, EachShortcutOpensItsWindowOnce)
{
    add_all_windows();
    open_workspace();
    for (const MenuItem& m : kMenu) {
        if (std::string(m.window) == "about") continue;  // Ctrl+I belongs to member add
        SCOPED_TRACE(m.caption);
        press_ctrl(m.key);
        EXPECT_TRUE(ui::is_window_open(u(m.window)));
        EXPECT_EQ(created_[m.window], 1);
        minimise(m.window);
        press_ctrl(m.key);
        EXPECT_EQ(created_[m.window], 1);
        EXPECT_FALSE(ui::is_minimised(u(m.window)));
    }
    EXPECT_EQ(created_["about"], 0);
    EXPECT_FALSE(ui::is_window_open(QStringLiteral("about")));
}

TEST_F(WorkspaceMenu, ItemsWithoutWindowAreDisabledAndInert)
{
    int member_add = 0;
    add_feature_window(QStringLiteral("member_add"), &member_add);
    open_workspace();
    for (const MenuItem& m : kMenu) {
        SCOPED_TRACE(m.caption);
        EXPECT_EQ(ui::is_disabled(kWs, u(m.item)), std::string(m.window) != "member_add");
    }
    choose("会员签到");
    press_ctrl(Qt::Key_Q);
    {
        ui::testing::ExpectLookupWarning not_described(QStringLiteral("rollcall"));
        EXPECT_FALSE(ui::is_window_open(QStringLiteral("rollcall")));
    }
    EXPECT_TRUE(ui::is_window_open(kWs));
    EXPECT_TRUE(ui::presenter::shown().isEmpty());
}

TEST_F(WorkspaceMenu, ClosingWorkspaceClosesFeatureWindows)
{
    add_all_windows();
    open_workspace();
    choose("添加成员");
    choose("随机选人");
    ASSERT_EQ(ui::open_window_count(), 3);
    ui::destroy_window_or_unit(kWs);
    EXPECT_TRUE(test_support::wait_until([] { return ui::open_window_count() == 0; }));
    EXPECT_FALSE(ui::is_window_open(QStringLiteral("member_add")));
    EXPECT_FALSE(ui::is_window_open(QStringLiteral("random_pick")));
    EXPECT_EQ(ui::open_window_count(), 0);
}

// ---- minimising without a notification area ---------------------------------

TEST_F(WorkspaceFixture, MinimiseWithoutTrayKeepsAnOrdinaryMinimisedWindow)
{
    if (QSystemTrayIcon::isSystemTrayAvailable()) GTEST_SKIP() << "a tray host is present";
    open_workspace();
    ui::window_widget(kWs)->showMinimized();
    EXPECT_TRUE(test_support::wait_until([] { return ui::is_minimised(kWs); }));
    test_support::process_queued_events();  // whatever the minimising set going
    EXPECT_TRUE(ui::is_window_visible(kWs));
    EXPECT_FALSE(ui::is_tray_icon_shown(kWs, QStringLiteral("托盘图标1")));
}

}  // namespace
