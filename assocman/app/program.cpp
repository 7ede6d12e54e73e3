#include "assocman/app/program.h"

#include <QCoreApplication>
#include <QDir>
#include <QString>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <system_error>
#include <thread>

#include "assocman/admin/admin.h"
#include "assocman/login/login.h"
#include "assocman/lookup/lookup.h"
#include "assocman/members/members.h"
#include "assocman/notes/notes.h"
#include "assocman/randompick/randompick.h"
#include "assocman/rollcall/rollcall.h"
#include "assocman/state/database_errors.h"
#include "assocman/state/state.h"
#include "assocman/whiteboard/whiteboard.h"
#include "assocman/workspace/workspace.h"
#include "core/configuration.h"
#include "platform/db/db.h"
#include "platform/secure/wipe.h"
#include "platform/ui/ahead.h"
#include "platform/ui/runtime.h"

namespace app {

namespace {

// Static initialisation runs on the thread that goes on to run main(), the
// only one that may show a box.
const std::thread::id g_ui_thread = std::this_thread::get_id();

// The program's window descriptions, in its resources.
const QString kDescriptions = QStringLiteral(":/forms");

// Reads the configuration for its password only: nothing is shown and the
// login window is not touched. Its creation reads the file again and reports.
class SilentConfigurationHost final : public assoc::ConfigurationHost {
public:
    void show_stop_message(const std::string&) override {}
    void request_login_close() override {}
};

// Deriving the database key is most of the login window's connection, and
// that connection is made before the window is shown. So the derivation runs
// ahead, first thing, beside the start of the runtime and the building of the
// window; the connection then finds the key ready, or waits for the rest of
// it. Nothing else changes: the window still reads the configuration and
// connects as before, and appears only once connected. The configuration is
// read here as well: none of it is Qt or depends on the locale the
// application sets meanwhile.
void derive_first_key()
{
    // The runtime that knows the program folder is not started yet.
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return;
    const std::string folder = program.parent_path().string();
    SilentConfigurationHost host;
    std::string name;
    struct Secret {
        std::string text;
        ~Secret() { secure::wipe(text); }
    } password;
    assoc::load_configuration(folder, host, name, password.text);
    if (!password.text.empty()) db::derive_key(program_database_file(folder), password.text);
}

}  // namespace

void register_all_handlers()
{
    login::register_login_handlers();
    workspace::register_workspace_handlers();
    rollcall::register_rollcall_handlers();
    members::register_members_handlers();
    lookup::register_lookup_handlers();
    randompick::register_randompick_handlers();
    notes::register_notes_handlers();
    whiteboard::register_whiteboard_handlers();
    admin::register_admin_handlers();
}

int run_program(int& argc, char** argv)
{
    // Should either not run ahead, the connection derives the key and step 1
    // reads the descriptions, as they would.
    ui::Ahead<void> key_ahead(derive_first_key);
    // Read beside the start of the runtime; step 1 checks them as always, and
    // a broken one is still reported there, before any window.
    ui::Ahead<ui::DescriptionsRead> descriptions_ahead([] { return ui::read_descriptions(kDescriptions); });

    // 1. The runtime; the program folder becomes the current directory, so
    //    the whiteboard and the reports land in usertext beside the program.
    ui::start_runtime(argc, argv);
    install_database_error_presenter();
    QDir::setCurrent(ui::get_program_directory());
    register_all_handlers();
    QString error;
    if (!ui::load_descriptions(kDescriptions, &error, /*stub_handlers=*/false, descriptions_ahead.take())) {
        ui::fatal_error("载入启动窗口失败\n" + error);
    }

    // 2. Program-wide state; 3. its clean-up, run once whichever way we end.
    init_program_state();
    ui::register_exit_cleanup(release_program_state);

    // 4. The start window; its creation reads the configuration and connects.
    if (!ui::load_window(forms::login::window)) ui::fatal_error("载入启动窗口失败");
    key_ahead.take();

    // 5. Until no window is left; 6. exit code 0 after the clean-up.
    ui::run_message_loop();
    ui::run_exit_cleanup();
    // Destroying the application hands the clipboard and the tray back to
    // the desktop properly.
    delete QCoreApplication::instance();
    return 0;
}

void out_of_memory(unsigned long long bytes)
{
    // The speech voices run on threads of their own; a box shown from there
    // would take the program down. Their allocation fails the usual way and
    // they give up on the one text they were at.
    if (std::this_thread::get_id() != g_ui_thread) throw std::bad_alloc();
    // Reporting needs memory too; a second failure while reporting ends the
    // program without a box.
    static bool reporting = false;
    if (reporting) std::_Exit(-1);
    reporting = true;
    ui::fatal_error(QString("分配 %1 字节内存失败!").arg(bytes));
}

}  // namespace app
