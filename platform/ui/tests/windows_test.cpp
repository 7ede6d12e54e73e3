#include <QPushButton>
#include <QTimer>

#include "platform/ui/testing.h"
#include "platform/ui/tests/test_support.h"

namespace ui::testing {
namespace {

const QString A = QStringLiteral("a");
const QString B = QStringLiteral("b");
const QString C = QStringLiteral("c");

class UiWindows : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        for (const char* h : {"a.created", "a.destroy", "a.moved", "a.resized", "b.created", "b.destroy",
                              "c.created", "c.destroy"}) {
            record(QString::fromLatin1(h));
        }
        describe(
            R"({"window":"a","size":[200,100],"events":{"on_created":"a.created","on_destroy":"a.destroy",
                     "on_moved":"a.moved","on_resized":"a.resized"},
                     "controls":[{"name":"标签","type":"TransLabel","rect":[0,0,50,20],"text":"x"},
                                 {"name":"连接","type":"DBConnection"},{"name":"记录","type":"RecordSet"}]})");
        describe(
            R"({"window":"b","size":[100,100],"events":{"on_created":"b.created","on_destroy":"b.destroy"}})");
        describe(
            R"({"window":"c","size":[100,100],"events":{"on_created":"c.created","on_destroy":"c.destroy"}})");
    }
};

TEST_F(UiWindows, CreationFiresCreatedMovedResizedInThatOrder)
{
    ASSERT_TRUE(load_window(A));
    EXPECT_EQ(calls, (std::vector<QString>{"a.created", "a.moved", "a.resized"}));
    EXPECT_TRUE(is_window_open(A));
    EXPECT_TRUE(is_window_visible(A));
    ExpectLookupWarning no_such_window(QStringLiteral("nobody"));
    EXPECT_FALSE(load_window(QStringLiteral("nobody")));
}

TEST_F(UiWindows, OpeningAnOpenWindowBringsItForwardWithoutASecondCreation)
{
    ASSERT_TRUE(load_window(A));
    window_widget(A)->showMinimized();
    ASSERT_TRUE(is_minimised(A));
    ASSERT_TRUE(load_window(A));
    EXPECT_EQ(count("a.created"), 1);
    EXPECT_EQ(open_window_count(), 1);
    EXPECT_FALSE(is_minimised(A));
}

TEST_F(UiWindows, ReopeningAClosingWindowReplacesIt)
{
    ASSERT_TRUE(load_window(A));
    QWidget* first = window_widget(A);
    destroy_window_or_unit(A);
    EXPECT_TRUE(is_window_closing(A));
    EXPECT_FALSE(is_window_open(A));
    ASSERT_TRUE(load_window(A));
    EXPECT_EQ(count("a.destroy"), 1);
    EXPECT_EQ(count("a.created"), 2);
    EXPECT_TRUE(is_window_open(A));
    EXPECT_NE(window_widget(A), first);
    // The old close request finds nothing left to close.
    settle();
    EXPECT_TRUE(is_window_open(A));
    EXPECT_EQ(count("a.destroy"), 1);
    EXPECT_EQ(open_window_count(), 1);
}

TEST_F(UiWindows, CloseIsAsynchronousAndASecondRequestDoesNothing)
{
    ASSERT_TRUE(load_window(A));
    destroy_window_or_unit(A);
    destroy_window_or_unit(A);
    {
        ExpectLookupWarning no_such_window(QStringLiteral("nobody"));
        destroy_window_or_unit(QStringLiteral("nobody"));
    }
    EXPECT_EQ(open_window_count(), 1);
    EXPECT_EQ(count("a.destroy"), 0);
    settle();
    EXPECT_EQ(open_window_count(), 0);
    EXPECT_EQ(count("a.destroy"), 1);
    destroy_window_or_unit(A);
    settle();
    EXPECT_EQ(count("a.destroy"), 1);
}

TEST_F(UiWindows, TheCloseBoxAsksLikeDestroyWindowOrUnit)
{
    ASSERT_TRUE(load_window(A));
    window_widget(A)->close();
    EXPECT_TRUE(is_window_closing(A));
    EXPECT_EQ(open_window_count(), 1);
    settle();
    EXPECT_EQ(open_window_count(), 0);
    EXPECT_EQ(count("a.destroy"), 1);
}

TEST_F(UiWindows, ClosingTheOwnerDestroysOwnedWindowsFirst)
{
    ASSERT_TRUE(load_window(A));
    ASSERT_TRUE(load_window(B, A));
    ASSERT_TRUE(load_window(C, A));
    destroy_window_or_unit(A);
    settle();
    EXPECT_EQ(open_window_count(), 0);
    const std::vector<QString> destroys = [&] {
        std::vector<QString> d;
        for (const QString& c : calls) {
            if (c.endsWith(QStringLiteral(".destroy"))) d.push_back(c);
        }
        return d;
    }();
    EXPECT_EQ(destroys, (std::vector<QString>{"b.destroy", "c.destroy", "a.destroy"}));
}

TEST_F(UiWindows, TheBeingDestroyedEventStillReachesTheControlsAndUnits)
{
    bool seen = false;
    register_handler(QStringLiteral("a.destroy"), [&] {
        seen = text(A, QStringLiteral("标签")) == QStringLiteral("x") &&
               connection(A, QStringLiteral("连接")) && recordset(A, QStringLiteral("记录"));
    });
    ASSERT_TRUE(load_window(A));
    destroy_window_or_unit(A);
    settle();
    EXPECT_TRUE(seen);
    EXPECT_EQ(connection(A, QStringLiteral("连接")), nullptr);
}

TEST_F(UiWindows, ACreatedHandlerThatClosesItsWindowStopsTheLaterEvents)
{
    // A start-up window that finds it cannot go on: it asks to close, then a
    // message box lets the close through before the creation handler returns.
    presenter::set_while_open([](const ShownMessage&) { QCoreApplication::processEvents(); });
    register_handler(QStringLiteral("a.created"), [] {
        destroy_window_or_unit(A);
        message_box(QStringLiteral("出错了，窗口将关闭！"), Buttons::ok, Icon::information);
        destroy_window_or_unit(A);  // already gone: nothing
    });
    ASSERT_TRUE(load_window(A));
    EXPECT_EQ(count("a.moved"), 0);
    EXPECT_EQ(count("a.resized"), 0);
    EXPECT_EQ(count("a.destroy"), 1);
    EXPECT_EQ(open_window_count(), 0);
}

TEST_F(UiWindows, AccessorsOnAGoneWindowDoNothing)
{
    ASSERT_TRUE(load_window(A));
    destroy_window_or_unit(A);
    settle();
    const QString L = QStringLiteral("标签");
    EXPECT_EQ(text(A, L), QString());
    set_text(A, L, QStringLiteral("y"));
    set_visible(A, L, false);
    set_disabled(A, L, true);
    set_checked(A, L, true);
    set_focus(A, L);
    add_item(A, L, QStringLiteral("i"));
    remove_item(A, L, 0);
    set_current_index(A, L, 0);
    add_row(A, L, {QStringLiteral("r")});
    set_timer_interval(A, L, 10);
    show_tray_icon(A, L);
    set_caption(A, QStringLiteral("t"));
    show_window(A);
    hide_window(A);
    restore_centred(A);
    set_edit_mode(A, L, QStringLiteral("normal"));
    EXPECT_EQ(caption(A), QString());
    EXPECT_EQ(current_index(A, L), -1);
    EXPECT_EQ(item_count(A, L), 0);
    EXPECT_EQ(item_text(A, L, 0), QString());
    EXPECT_EQ(cell_text(A, L, 0, 0), QString());
    EXPECT_EQ(focused_control(A), QString());
    EXPECT_FALSE(is_minimised(A));
    EXPECT_FALSE(is_window_visible(A));
    EXPECT_EQ(connection(A, QStringLiteral("连接")), nullptr);
    EXPECT_EQ(recordset(A, QStringLiteral("记录")), nullptr);
    EXPECT_EQ(window_widget(A), nullptr);
    EXPECT_EQ(control_widget(A, L), nullptr);
}

TEST_F(UiWindows, AHandlerOutlivingItsWindowFinishesSafely)
{
    // A click handler closes its own window and waits; the window is
    // destroyed during the wait, and the handler then writes to it. The wait
    // is the handler's own, the behaviour under test.
    bool finished = false;
    register_handler(QStringLiteral("d.click"), [&] {
        destroy_window_or_unit(QStringLiteral("d"));
        wait_processing_events(30);
        set_text(QStringLiteral("d"), QStringLiteral("编辑"), QStringLiteral("late"));
        set_focus(QStringLiteral("d"), QStringLiteral("编辑"));
        finished = true;
    });
    describe(R"({"window":"d","size":[100,100],"controls":[
        {"name":"按钮","type":"Button","rect":[0,0,50,20],"events":{"on_click":"d.click"}},
        {"name":"编辑","type":"EditBox","rect":[0,30,50,20]}]})");
    ASSERT_TRUE(load_window(QStringLiteral("d")));
    auto* button = qobject_cast<QPushButton*>(control_widget(QStringLiteral("d"), QStringLiteral("按钮")));
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(finished);
    EXPECT_EQ(open_window_count(), 0);
    settle();
}

TEST_F(UiWindows, MinimisingAndRestoringCountAsPositionChanges)
{
    ASSERT_TRUE(load_window(A));
    const int before = count("a.moved");
    window_widget(A)->showMinimized();
    EXPECT_TRUE(is_minimised(A));
    EXPECT_EQ(count("a.moved"), before + 1);
    restore_centred(A);
    EXPECT_FALSE(is_minimised(A));
    EXPECT_GE(count("a.moved"), before + 2);
}

TEST_F(UiWindows, HidingDuringCreationKeepsTheWindowHiddenButCounted)
{
    register_handler(QStringLiteral("a.moved"), [] { hide_window(A); });
    ASSERT_TRUE(load_window(A));
    EXPECT_FALSE(is_window_visible(A));
    EXPECT_EQ(open_window_count(), 1);
    show_window(A);
    EXPECT_TRUE(is_window_visible(A));
}

TEST_F(UiWindows, TheLoopEndsWithTheLastWindowAndTheCleanUpRunsOnce)
{
    int cleanups = 0;
    register_exit_cleanup([&] { ++cleanups; });
    ASSERT_TRUE(load_window(A));
    ASSERT_TRUE(load_window(B, A));
    QTimer::singleShot(0, [] { destroy_window_or_unit(A); });
    EXPECT_EQ(run_message_loop(), 0);
    EXPECT_EQ(open_window_count(), 0);
    EXPECT_EQ(cleanups, 1);
    run_exit_cleanup();
    EXPECT_EQ(cleanups, 1);
}

TEST_F(UiWindows, TheLoopReturnsAtOnceWhenNoWindowIsLeft)
{
    int cleanups = 0;
    register_exit_cleanup([&] { ++cleanups; });
    EXPECT_EQ(run_message_loop(), 0);
    EXPECT_EQ(cleanups, 1);
}

TEST_F(UiWindows, ExitProgramRunsTheCleanUpOnceEvenWhenTheLoopEndsLater)
{
    int cleanups = 0;
    register_exit_cleanup([&] { ++cleanups; });
    register_handler(QStringLiteral("a.created"), [] { QTimer::singleShot(0, [] { exit_program(0); }); });
    ASSERT_TRUE(load_window(A));
    QTimer::singleShot(20, [] { destroy_window_or_unit(A); });
    EXPECT_EQ(run_message_loop(), 0);
    EXPECT_EQ(exit_codes, std::vector<int>{0});
    EXPECT_EQ(cleanups, 1);
}

TEST_F(UiWindows, AMenuShortcutRunsTheFirstItemThatCarriesIt)
{
    record(QStringLiteral("m.new"));
    record(QStringLiteral("m.version"));
    describe(R"json({"window":"m","size":[200,100],"menus":[
        {"caption":"文件(&F)","items":[{"name":"新建","caption":"新建文件","shortcut":"Ctrl+I",
                                        "events":{"on_selected":"m.new"}}]},
        {"caption":"帮助(&H)","items":[{"name":"版本","caption":"版本信息","shortcut":"Ctrl+I",
                                        "events":{"on_selected":"m.version"}}]}]})json");
    ASSERT_TRUE(load_window(QStringLiteral("m")));
    QWidget* w = window_widget(QStringLiteral("m"));
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    QTest::keyClick(w, Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(count("m.new"), 1);
    EXPECT_EQ(count("m.version"), 0);
    // The first carrier decides even when it is disabled.
    set_disabled(QStringLiteral("m"), QStringLiteral("新建"), true);
    EXPECT_TRUE(is_disabled(QStringLiteral("m"), QStringLiteral("新建")));
    QTest::keyClick(w, Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(count("m.new"), 1);
    EXPECT_EQ(count("m.version"), 0);
}

TEST_F(UiWindows, AHandlerThatThrowsIsAFatalError)
{
    register_handler(QStringLiteral("a.created"), [] { throw std::runtime_error("boom"); });
    EXPECT_THROW((void)load_window(A), FatalExit);  // it never returns
    ASSERT_EQ(presenter::shown().size(), 1);
    EXPECT_TRUE(presenter::shown().first().text.contains(QStringLiteral("boom")));
}

}  // namespace
}  // namespace ui::testing
