// The program around the windows: start, folders, exit clean-up, the end of
// the program and fatal errors.
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/ui/ahead.h"
#include "platform/ui/description.h"
#include "platform/ui/fonts.h"
#include "platform/ui/message.h"
#include "platform/ui/runtime.h"
#include "platform/ui/style.h"
#include "platform/ui/testing.h"
#include "platform/ui/window.h"

namespace ui {

namespace {

QString g_program_dir;
std::vector<std::function<void()>> g_cleanups;
bool g_cleanup_ran = false;
std::function<void(int)> g_exit_hook;
std::function<void(int)> g_fatal_hook;

// Ends the process without running destructors or atexit handlers: the
// program's own clean-up has already run, or must not run.
[[noreturn]] void end_process(int code)
{
    std::fflush(nullptr);
    std::_Exit(code);
}

}  // namespace

void start_runtime(int& argc, char** argv)
{
    static bool styled = false;
    if (!QApplication::instance()) {
        const Ahead<void> fonts_ahead(detail::read_font_configuration);
        // Owned by the program: its entry deletes it after the loop (exit_program
        // ends the process without that).
        new QApplication(argc, argv);
    }
    // Windows come and go under the runtime's own rules.
    QApplication::setQuitOnLastWindowClosed(false);
    if (!styled) {
        QApplication::setStyle(detail::make_program_style());
        styled = true;
    }
    detail::install_font_substitutions();
    QApplication::setFont(detail::default_font());
    detail::install_key_filter();
    g_program_dir = QCoreApplication::applicationDirPath();
}

QString get_program_directory() { return g_program_dir; }

QString get_current_directory() { return QDir::currentPath(); }

void set_program_directory(const QString& dir) { g_program_dir = dir; }

void register_exit_cleanup(std::function<void()> fn) { g_cleanups.push_back(std::move(fn)); }

void run_exit_cleanup()
{
    if (g_cleanup_ran) return;
    g_cleanup_ran = true;
    for (const auto& fn : g_cleanups) {
        if (fn) fn();
    }
}

void exit_program(int code)
{
    run_exit_cleanup();
    if (g_exit_hook) {
        g_exit_hook(code);
        return;
    }
    end_process(code);
}

void set_exit_hook(std::function<void(int)> hook) { g_exit_hook = std::move(hook); }

void set_fatal_hook(std::function<void(int)> hook) { g_fatal_hook = std::move(hook); }

QString fatal_error_text(const QString& message, std::optional<long> code)
{
    QString text = QStringLiteral("运行时出错!\n\n");
    if (code) text += QStringLiteral("错误代码：") + QString::number(*code) + QStringLiteral("\n\n");
    text += QStringLiteral("错误信息：") + message + QStringLiteral("\n");
    return text;
}

void fatal_error(const QString& message, std::optional<long> code)
{
    const QString text = fatal_error_text(message, code);
    if (!qApp) std::fputs(text.toLocal8Bit().constData(), stderr);
    message_box(text, Buttons::ok, Icon::stop, QStringLiteral("错误"));
    if (g_fatal_hook) g_fatal_hook(-1);
    end_process(-1);
}

void wait_processing_events(int ms)
{
    if (ms <= 0 || !qApp) return;
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

void reset_for_tests()
{
    detail::destroy_all_windows_for_tests();
    detail::clear_descriptions();
    detail::clear_handlers();
    g_cleanups.clear();
    g_cleanup_ran = false;
    g_exit_hook = nullptr;
    g_fatal_hook = nullptr;
    presenter::set_scripted(false);
    presenter::clear();
    apply_xp_style(0);
    g_program_dir = qApp ? QCoreApplication::applicationDirPath() : QString();
}

}  // namespace ui
