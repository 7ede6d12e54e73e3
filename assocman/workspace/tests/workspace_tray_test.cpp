// Minimising to the notification area, on a real X server with a tray host
// (Xvfb with trayer in CI). Elsewhere the test skips itself, unless X is
// required (ASSOCMAN_REQUIRE_X11, as in CI): then it fails.
//
// Without a window manager nobody ever tells Qt that the window left the
// minimised state, so a little while after a restore Qt reports it minimised
// again. The checks therefore look at the window right after the icon's
// double-click has been handled, which is what the workspace decides.
#include <gtest/gtest.h>

#include <QScreen>
#include <QSystemTrayIcon>
#include <QWidget>

#include "platform/ui/testing.h"
#include "tests/support/require_x11.h"
#include "tests/support/wait_until.h"
#include "workspace_fixture.h"

namespace {

const QString kWs = QStringLiteral("workspace");
const QString kTray = QStringLiteral("托盘图标1");

class WorkspaceTray : public workspace_test::WorkspaceFixture {
protected:
    void SetUp() override
    {
        ASSOCMAN_REQUIRE_X11_OR_SKIP(test_support::display_set(), "no X display");
        WorkspaceFixture::SetUp();
        if (HasFatalFailure()) return;
        // A tray host started just before the tests may still be coming up.
        ASSOCMAN_REQUIRE_X11_OR_SKIP(
            test_support::wait_until([] { return QSystemTrayIcon::isSystemTrayAvailable(); },
                                     std::chrono::seconds(5)),
            "no notification area");
    }
};

TEST_F(WorkspaceTray, MinimiseGoesToTrayAndDoubleClickBringsItBackCentred)
{
    open_workspace();
    ASSERT_TRUE(ui::is_window_open(kWs));
    QWidget* window = ui::window_widget(kWs);
    ASSERT_TRUE(test_support::wait_until([window] { return window->isVisible(); }));
    EXPECT_FALSE(ui::is_tray_icon_shown(kWs, kTray));
    window->move(0, 0);  // off centre, so that centring shows
    ASSERT_TRUE(
        test_support::wait_until([window] { return window->frameGeometry().topLeft() == QPoint(0, 0); }));

    // The way a window manager minimises: the state changes while the window
    // stays shown (showMinimized() would show it again after the change).
    window->setWindowState(window->windowState() | Qt::WindowMinimized);
    ASSERT_TRUE(test_support::wait_until([] { return !ui::is_window_visible(kWs); }));
    EXPECT_TRUE(ui::is_tray_icon_shown(kWs, kTray));
    const auto icons = window->findChildren<QSystemTrayIcon*>();
    ASSERT_EQ(icons.size(), 1);
    QSystemTrayIcon* icon = icons.front();
    EXPECT_TRUE(icon->isVisible());
    EXPECT_EQ(icon->toolTip(), QStringLiteral("Selbrac信息管理系统，双击欢迎窗口！"));

    emit icon->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(ui::is_window_visible(kWs));
    EXPECT_FALSE(ui::is_minimised(kWs));
    EXPECT_FALSE(ui::is_tray_icon_shown(kWs, kTray));
    EXPECT_FALSE(icon->isVisible());
    const QPoint centre = window->frameGeometry().center();
    const QPoint screen_centre = window->screen()->availableGeometry().center();
    EXPECT_LE((centre - screen_centre).manhattanLength(), 4)
        << "window centre " << centre.x() << "," << centre.y() << " screen centre " << screen_centre.x()
        << "," << screen_centre.y();
}

}  // namespace
