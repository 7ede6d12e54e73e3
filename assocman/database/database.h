// The association's database: its four tables and the creation of a new
// database file that holds them. The setup tool makes the program's database
// with it, and the tests make theirs the same way.
#pragma once

#include <string>

namespace database {

// Creates a new keyed database file with the schema. Refuses a file that
// exists. On failure nothing is left behind and `error` (if given) says why.
bool create_database(const std::string& file, const std::string& password, std::string* error);

}  // namespace database
