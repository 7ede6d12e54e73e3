#include "assocman/database/database.h"

#include "platform/db/db.h"

namespace database {
namespace {

// Members, the day's roll call, the notes and the administrators.
constexpr const char* kSchema =
    "create table causer (id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT, phonenum TEXT, class TEXT,"
    " sex TEXT, xuehao TEXT, otherinfo TEXT);"
    "create table qiandao (name TEXT, dao BOOLEAN DEFAULT 0);"
    "create table ketang (title TEXT, class TEXT, text TEXT,"
    " time DATETIME DEFAULT (datetime('now','localtime')));"
    "create table adminuser (adminname TEXT, adminpass TEXT, quanxian TEXT, disabled BOOLEAN DEFAULT 0);";

}  // namespace

bool create_database(const std::string& file, const std::string& password, std::string* error)
{
    return db::create_keyed_database(file, password, kSchema, error);
}

}  // namespace database
