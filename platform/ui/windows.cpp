// The window manager: which windows exist, opening, closing, destroying, and
// the message loop that ends with the last window.
#include <QApplication>
#include <QEventLoop>
#include <QList>
#include <QPointer>
#include <QtDebug>
#include <exception>

#include "platform/ui/list_rows.h"
#include "platform/ui/runtime.h"
#include "platform/ui/testing.h"
#include "platform/ui/window.h"

namespace ui {

namespace detail {

namespace {

QList<QPointer<FormWindow>> g_windows;    // alive, in creation order
QList<QPointer<FormWindow>> g_graveyard;  // destroyed, widget not freed yet
int g_handler_depth = 0;
bool g_reap_posted = false;
QEventLoop* g_main_loop = nullptr;

void prune() { g_windows.removeAll(QPointer<FormWindow>()); }

void quit_if_empty()
{
    prune();
    if (g_windows.isEmpty() && g_main_loop) g_main_loop->exit(0);
}

// A destroyed window may still have its own code on the stack (a button
// whose click handler closed it and then waited in a message box), so the
// widget is freed only when no handler runs at all.
void reap()
{
    g_reap_posted = false;
    if (g_handler_depth != 0) return;
    const auto dead = g_graveyard;
    g_graveyard.clear();
    for (const QPointer<FormWindow>& w : dead) delete w.data();
}

void schedule_reap()
{
    if (g_handler_depth != 0 || g_graveyard.isEmpty() || g_reap_posted || !qApp) return;
    g_reap_posted = true;
    QMetaObject::invokeMethod(qApp, &reap, Qt::QueuedConnection);
}

struct HandlerDepth {
    HandlerDepth() { ++g_handler_depth; }
    ~HandlerDepth() { --g_handler_depth; }
    HandlerDepth(const HandlerDepth&) = delete;
    HandlerDepth& operator=(const HandlerDepth&) = delete;
};

void bring_forward(FormWindow* w)
{
    if (w->isMinimized()) {
        w->showNormal();
    } else {
        w->raise();
        w->activateWindow();
    }
}

// A name that no description has, or that the window's description lacks, is
// a fault of the program (a misspelt name) and is logged. A window that is
// described but not open is not: a handler that outlives its window is normal.
void warn_unknown_name(const QString& what) { qWarning("%s%s", kLookupWarningPrefix, qUtf8Printable(what)); }

void warn_unknown_window(const QString& window)
{
    warn_unknown_name(QStringLiteral("no description has a window \"%1\"").arg(window));
}

void warn_unknown_control(const QString& window, const QString& control)
{
    warn_unknown_name(QStringLiteral("the description of window \"%1\" has no control or menu item \"%2\"")
                          .arg(window, control));
}

bool describes(const WindowDesc& desc, const QString& name)
{
    for (const ControlDesc& c : desc.controls) {
        if (c.name == name) return true;
    }
    for (const MenuDesc& m : desc.menus) {
        for (const MenuItemDesc& i : m.items) {
            if (i.name == name) return true;
        }
    }
    return false;
}

// A record set does not tell when a handler opens it anew or adds to it,
// and a handler may do so to any window's set, not only its own.
void follow_record_sets()
{
    for (const QPointer<FormWindow>& w : g_windows) {
        if (!w || !w->alive) continue;
        for (const auto& c : w->controls()) {
            if (ListRows* rows = list_rows(*c)) rows->follow_set();
        }
    }
}

}  // namespace

FormWindow* find_window(const QString& name)
{
    for (const QPointer<FormWindow>& w : g_windows) {
        if (w && w->alive && w->name() == name) return w;
    }
    if (!find_description(name)) warn_unknown_window(name);
    return nullptr;
}

Control* find_control(const QString& window, const QString& control)
{
    if (FormWindow* w = find_window(window)) {
        // An open window has a control for every name of its description.
        if (Control* c = w->control(control)) return c;
        warn_unknown_control(window, control);
        return nullptr;
    }
    const WindowDescPtr desc = find_description(window);
    if (desc && !describes(*desc, control)) warn_unknown_control(window, control);
    return nullptr;
}

void forget_window(FormWindow* window)
{
    const auto same = [window](const QPointer<FormWindow>& p) { return p.data() == window; };
    g_windows.removeIf(same);
    g_graveyard.removeIf(same);
    quit_if_empty();
}

void run_handler(FormWindow* window, const QString& handler)
{
    if (!window || !window->alive || handler.isEmpty()) return;
    {
        HandlerDepth depth;
        // Nothing may unwind through Qt's event delivery; a handler that
        // throws is a fault of the program, reported like any fatal error.
        try {
            // The loader refused every description that binds a name no
            // handler is registered under, so the name is always found.
            (void)call_handler(handler);
        } catch (const std::exception& e) {
            fatal_error(QString::fromLocal8Bit(e.what()));
        } catch (...) {
            fatal_error(QStringLiteral("unknown error in %1").arg(handler));
        }
    }
    follow_record_sets();
    schedule_reap();
}

void request_close(FormWindow* window)
{
    if (!window || !window->alive || window->closing) return;
    window->closing = true;
    QPointer<FormWindow> guard(window);
    QMetaObject::invokeMethod(
        qApp,
        [guard] {
            if (guard) destroy_now(guard);
        },
        Qt::QueuedConnection);
}

void destroy_now(FormWindow* window)
{
    if (!window || !window->alive || window->destroying) return;
    QPointer<FormWindow> w(window);
    w->destroying = true;
    w->closing = true;
    const auto all = g_windows;
    for (const QPointer<FormWindow>& other : all) {
        if (other && other->owner() == w) destroy_now(other);
    }
    if (w) w->fire(QStringLiteral("on_destroy"));
    if (!w) return;
    w->shut_down();
    w->alive = false;
    w->hide();
    g_windows.removeAll(w);
    g_graveyard.append(w);
    schedule_reap();
    quit_if_empty();
}

void destroy_all_windows_for_tests()
{
    const auto all = g_windows + g_graveyard;
    g_windows.clear();
    g_graveyard.clear();
    for (const QPointer<FormWindow>& w : all) {
        if (!w) continue;
        w->alive = false;
        w->shut_down();
    }
    for (const QPointer<FormWindow>& w : all) delete w.data();
}

}  // namespace detail

using detail::FormWindow;

bool load_window(const QString& window, const QString& parent, bool modal)
{
    const detail::WindowDescPtr desc = detail::find_description(window);
    if (!desc) {
        detail::warn_unknown_window(window);
        return false;
    }
    if (FormWindow* open = detail::find_window(window)) {
        if (!open->closing) {
            detail::bring_forward(open);
            return true;
        }
        detail::destroy_now(open);
    }
    FormWindow* owner = parent.isEmpty() ? nullptr : detail::find_window(parent);
    if (owner && owner->destroying) owner = nullptr;

    QPointer<FormWindow> w = new FormWindow(desc, owner, modal);
    detail::g_windows.append(w);
    for (const detail::ControlDesc& c : desc->controls) detail::build_control(w, c);
    w->build_menus();
    w->centre_on_screen();

    // Each event only while the window still exists: a handler may have had
    // it destroyed (a message box lets a posted close through).
    if (w && w->alive) w->fire(QStringLiteral("on_created"));
    if (w && w->alive) w->fire(QStringLiteral("on_moved"));
    if (w && w->alive) w->fire(QStringLiteral("on_resized"));
    if (w && w->alive) {
        w->finish_creation();
        if (!w->closing && w->visibility_request.value_or(true)) {
            w->show();
            w->raise();
            w->activateWindow();
        }
    }
    return true;
}

void destroy_window_or_unit(const QString& window) { detail::request_close(detail::find_window(window)); }

bool is_window_open(const QString& window)
{
    FormWindow* w = detail::find_window(window);
    return w && !w->closing;
}

bool is_window_closing(const QString& window)
{
    FormWindow* w = detail::find_window(window);
    return w && w->closing;
}

int open_window_count()
{
    detail::prune();
    return static_cast<int>(detail::g_windows.size());
}

QWidget* window_widget(const QString& window) { return detail::find_window(window); }

int run_message_loop()
{
    detail::prune();
    if (!detail::g_windows.isEmpty() && qApp) {
        QEventLoop loop;
        detail::g_main_loop = &loop;
        loop.exec();
        detail::g_main_loop = nullptr;
        detail::reap();
    }
    run_exit_cleanup();
    return 0;
}

}  // namespace ui
