#include "state.h"

#include "platform/db/db.h"
#include "platform/secure/wipe.h"
#include "platform/speech/speech.h"
#include "platform/ui/runtime.h"

namespace app {

ProgramState::ProgramState() = default;
ProgramState::~ProgramState() = default;

ProgramState& state()
{
    static ProgramState s;
    return s;
}

void init_program_state()
{
    auto& s = state();
    s.whiteboard_lines.clear();
    s.roll_call_voice = std::make_unique<speech::ETextToSpeech>();
    s.pick_voice = std::make_unique<speech::ETextToSpeech>();
    s.pick_names.clear();
    s.editor_whiteboard_lines.clear();
}

void release_program_state()
{
    auto& s = state();
    // The password is a secret: overwrite before letting it go.
    s.database_password.fill(QChar(u'\0'));
    s.database_password.clear();
    // So are the database keys derived from it.
    db::forget_derived_keys();
    s.association_name.clear();
    s.current_admin.clear();
    s.workspace_admin.clear();
    s.working_folder.clear();
    s.whiteboard_text.clear();
    s.whiteboard_lines.clear();
    s.roll_call_voice.reset();
    s.pick_voice.reset();
    s.pick_names.clear();
    s.editor_working_folder.clear();
    s.editor_whiteboard_text.clear();
    s.editor_whiteboard_lines.clear();
}

std::string program_database_file(const std::string& program_folder)
{
    return program_folder + "/usertext/causercount.mdb";
}

bool connect_program_database(db::Connection& connection)
{
    const std::string file = program_database_file(ui::get_program_directory().toStdString());
    std::string key = state().database_password.toStdString();
    const bool connected = db::db_connect_access(connection, file, key);
    secure::wipe(key);
    return connected;
}

}  // namespace app
