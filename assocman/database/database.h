// The association's database: its four tables and the creation of a new
// database file that holds them. The setup tool makes the program's database
// with it, and the tests make theirs the same way.
#pragma once

#include <string>

namespace db {
class Connection;
}

namespace database {

// Creates the four tables of the association's database in one transaction.
bool create_schema(db::Connection& connection);

// Creates a new keyed database file with the schema. Refuses a file that
// exists. On failure nothing is left behind and `error` (if given) says why.
bool create_database(const std::string& file, const std::string& password, std::string* error);

}  // namespace database
