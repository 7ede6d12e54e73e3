// Minimising to the notification area, on a real X server with a tray host
// (Xvfb with trayer in CI). Elsewhere the tests skip themselves.
//
// Without a window manager nobody ever tells Qt that the window left the
// minimised state, so a little while after a restore Qt reports it minimised
// again. The checks therefore look at the window right after the icon's
// double-click has been handled, which is what the workspace decides.
#include <gtest/gtest.h>

#include <QApplication>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QWidget>
#include <cstdlib>
#include <functional>

#include "workspace_fixture.h"

namespace {

const QString kWs = QStringLiteral("workspace");
const QString kTray = QStringLiteral("托盘图标1");

// What the user sees once a tray activation has been handled.
struct Seen {
    bool handled = false;
    bool visible = false;
    bool minimised = true;
    bool icon_shown = true;
    QPoint centre;
};

class WorkspaceTray : public workspace_test::WorkspaceFixture {
protected:
    void SetUp() override
    {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display) GTEST_SKIP() << "no X display";
        WorkspaceFixture::SetUp();
        if (HasFatalFailure()) return;
        // trayer may still be starting up when the tests begin.
        for (int i = 0; i < 50 && !QSystemTrayIcon::isSystemTrayAvailable(); ++i)
            ui::wait_processing_events(100);
        if (!QSystemTrayIcon::isSystemTrayAvailable()) GTEST_SKIP() << "no notification area";
    }

    static bool wait_until(const std::function<bool()>& done)
    {
        for (int i = 0; i < 100 && !done(); ++i) ui::wait_processing_events(20);
        return done();
    }

    // Opens the workspace off centre and minimises it the way a window
    // manager does: the state changes while the window stays shown.
    // (showMinimized() would show the window again after the change.)
    void open_and_minimise()
    {
        open_workspace();
        ASSERT_TRUE(ui::is_window_open(kWs));
        window_ = ui::window_widget(kWs);
        ASSERT_TRUE(wait_until([this] { return window_->isVisible(); }));
        EXPECT_FALSE(ui::is_tray_icon_shown(kWs, kTray));
        window_->move(0, 0);
        ui::wait_processing_events(50);

        window_->setWindowState(window_->windowState() | Qt::WindowMinimized);
        ASSERT_TRUE(wait_until([] { return !ui::is_window_visible(kWs); }));
        EXPECT_TRUE(ui::is_tray_icon_shown(kWs, kTray));
        const auto icons = window_->findChildren<QSystemTrayIcon*>();
        ASSERT_EQ(icons.size(), 1);
        icon_ = icons.front();
        EXPECT_TRUE(icon_->isVisible());
        EXPECT_EQ(icon_->toolTip(), QStringLiteral("Selbrac信息管理系统，双击欢迎窗口！"));

        // Connected after the runtime's own connection, so this runs once
        // the workspace's handler has.
        QObject::connect(icon_, &QSystemTrayIcon::activated, window_, [this] {
            seen_.handled = true;
            seen_.visible = ui::is_window_visible(kWs);
            seen_.minimised = ui::is_minimised(kWs);
            seen_.icon_shown = ui::is_tray_icon_shown(kWs, kTray);
            seen_.centre = window_->frameGeometry().center();
        });
    }

    void expect_restored_centred()
    {
        ASSERT_TRUE(seen_.handled);
        EXPECT_TRUE(seen_.visible);
        EXPECT_FALSE(seen_.minimised);
        EXPECT_FALSE(seen_.icon_shown);
        const QPoint screen_centre = window_->screen()->availableGeometry().center();
        EXPECT_LE((seen_.centre - screen_centre).manhattanLength(), 4)
            << "window centre " << seen_.centre.x() << "," << seen_.centre.y() << " screen centre "
            << screen_centre.x() << "," << screen_centre.y();
    }

    QWidget* window_ = nullptr;
    QSystemTrayIcon* icon_ = nullptr;
    Seen seen_;
};

TEST_F(WorkspaceTray, MinimiseGoesToTrayAndDoubleClickBringsItBackCentred)
{
    open_and_minimise();
    if (HasFatalFailure()) return;
    emit icon_->activated(QSystemTrayIcon::DoubleClick);
    expect_restored_centred();
}

// The real road: the pointer double-clicks the icon embedded in the tray.
TEST_F(WorkspaceTray, MouseDoubleClickOnTheEmbeddedIcon)
{
    const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
    if (xdotool.isEmpty()) GTEST_SKIP() << "no xdotool";
    open_and_minimise();
    if (HasFatalFailure()) return;

    // Qt does not know where the tray host put the icon, so the pointer goes
    // to the icon's own X window.
    QWidget* embedded = nullptr;
    ASSERT_TRUE(wait_until([&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && QByteArray(w->metaObject()->className()) == "QSystemTrayIconSys")
                embedded = w;
        }
        return embedded != nullptr;
    })) << "the icon is not in the tray";
    ui::wait_processing_events(200);
    QProcess::execute(xdotool, {QStringLiteral("mousemove"), QStringLiteral("--window"),
                                QString::number(embedded->winId()), QStringLiteral("5"), QStringLiteral("5"),
                                QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
                                QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("1")});
    // The first click is a plain activation; wait for the double one.
    ASSERT_TRUE(wait_until([this] { return seen_.handled && !seen_.icon_shown; }));
    expect_restored_centred();
}

TEST_F(WorkspaceTray, SingleClickLeavesItInTheTray)
{
    open_and_minimise();
    if (HasFatalFailure()) return;
    emit icon_->activated(QSystemTrayIcon::Trigger);
    ASSERT_TRUE(seen_.handled);
    EXPECT_FALSE(seen_.visible);
    EXPECT_TRUE(seen_.icon_shown);
}

}  // namespace
