// Shared by the database tests: a temporary folder, a fresh database in it and
// a presenter that records what it was asked to show.
#pragma once

#include <string>
#include <vector>

#include "platform/db/db.h"
#include "tests/support/temp_dir.h"

namespace db_test {

using test_support::read_file;
using test_support::TempDir;
using test_support::write_file;

// Installs itself as the error presenter for its lifetime.
class PresenterLog {
public:
    PresenterLog();
    ~PresenterLog();
    std::vector<std::string> messages;
};

bool file_exists(const std::string& path);

// The sample tables the tests work on: an autoincrement key, texts, booleans
// and a date-time with defaults, in four tables (people, marks, journal,
// users). The declared types matter: they decide how values are read.
extern const char* const kSampleTables;

// A new keyed database holding the sample tables. See
// db::create_keyed_database for the rest.
bool create_database(const std::string& file, const std::string& key, std::string* error);

// Runs one statement through a scratch record set; fails the test on error.
void exec(db::Connection& connection, const std::string& sql, const std::vector<db::Param>& params = {});

// The rows of a table, or -1 when it cannot be opened (a missing table).
int count_rows(db::Connection& connection, const std::string& table);

}  // namespace db_test
