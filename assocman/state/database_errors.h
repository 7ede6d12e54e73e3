// How an error of the database engine reaches the operator: the engine's own
// text is English and terse, so the results an operator can do something
// about get a sentence of ours in front of it.
#pragma once

#include <QString>

namespace db {
struct Error;
}

namespace app {

// Our sentence for the engine's result (busy or locked, damaged or not a
// database, read-only, disk full, I/O error, constraint), then the engine's
// text on the next line; the engine's text alone for any other result.
QString database_error_text(const db::Error& error);

// Every error the database layer reports is shown as that text in a plain
// OK box (title "信息："). Installed once the runtime has started.
void install_database_error_presenter();

}  // namespace app
