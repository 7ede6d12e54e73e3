// The ciphertext tool: one window, no program-wide state and no exit clean-up
// of its own.
#include <QCoreApplication>
#include <QString>

#include "cipherkey/cipherkey.h"
#include "platform/ui/runtime.h"

int main(int argc, char** argv)
{
    ui::start_runtime(argc, argv);
    cipherkey::register_cipherkey_handlers();

    // The box says why a description was refused; without it the window
    // below would only be missing.
    QString error;
    if (!ui::load_descriptions(QStringLiteral(":/cipherkey"), &error)) {
        ui::fatal_error(QStringLiteral("载入启动窗口失败\n") + error);
    }
    if (!ui::load_window(forms::cipherkey::window)) ui::fatal_error(QStringLiteral("载入启动窗口失败"));

    ui::run_message_loop();

    // On X11 the clipboard is served by the program that set it. Qt hands
    // the text to a running clipboard manager only when its application
    // object goes away, and the runtime keeps that object until the process
    // ends; without this the ciphertext would vanish with the window.
    delete QCoreApplication::instance();
    return 0;
}
