// Program-wide state of assocman: the few values that outlive a handler.
// Everything else belongs to the handler or window that uses it.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <string>

namespace speech {
class ETextToSpeech;
}

namespace app {

struct ProgramState {
    QString association_name;      // from the configuration; heads every caption
    QString database_password;     // deciphered; every connection uses it
    QString current_admin;         // set by a successful login
    QString workspace_admin;       // the workspace's copy of current_admin
    QString working_folder;        // the workspace's current directory + "/"
    QString whiteboard_text;       // the workspace's trimmed whiteboard text
    QStringList whiteboard_lines;  // ... and its lines
    std::unique_ptr<speech::ETextToSpeech> roll_call_voice;
    std::unique_ptr<speech::ETextToSpeech> pick_voice;
    QStringList pick_names;
    // The whiteboard editor keeps its own copies.
    QString editor_working_folder;
    QString editor_whiteboard_text;
    QStringList editor_whiteboard_lines;

    ProgramState();
    ~ProgramState();
};

ProgramState& state();

// Start-up step 2: empty lists and both speech objects.
void init_program_state();
// The exit clean-up: releases every text, list and both speech objects.
void release_program_state();

}  // namespace app

namespace db {
class Connection;
}

namespace app {

// The program's database file in a program folder:
// folder + "/usertext/causercount.mdb".
std::string program_database_file(const std::string& program_folder);

// Connects a window's connection to the program's database with the
// deciphered database password. False when the connection fails; nothing is
// shown.
[[nodiscard]] bool connect_program_database(db::Connection& connection);

}  // namespace app
