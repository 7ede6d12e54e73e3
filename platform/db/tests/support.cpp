#include "platform/db/tests/support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace db_test {

PresenterLog::PresenterLog()
{
    db::set_error_presenter([this](const db::Error& error) { messages.push_back(error.text); });
}

PresenterLog::~PresenterLog() { db::set_error_presenter(nullptr); }

bool file_exists(const std::string& path)
{
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

const char* const kSampleTables =
    "create table people (id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT, phone TEXT, city TEXT,"
    " street TEXT, code TEXT, remark TEXT);"
    "create table marks (name TEXT, present BOOLEAN DEFAULT 0);"
    "create table journal (title TEXT, topic TEXT, body TEXT,"
    " time DATETIME DEFAULT (datetime('now','localtime')));"
    "create table users (username TEXT, password TEXT, role TEXT, disabled BOOLEAN DEFAULT 0);";

bool create_database(const std::string& file, const std::string& key, std::string* error)
{
    return db::create_keyed_database(file, key, kSampleTables, error);
}

void exec(db::Connection& connection, const std::string& sql, const std::vector<db::Param>& params)
{
    db::RecordSet scratch;
    db::recordset_set_connection(scratch, connection);
    EXPECT_TRUE(db::recordset_open(scratch, sql, db::Source::sql, params)) << sql;
}

int count_rows(db::Connection& connection, const std::string& table)
{
    db::RecordSet set;
    db::recordset_set_connection(set, connection);
    (void)db::recordset_open(set, table, db::Source::table);  // a table that cannot be opened counts -1
    return db::record_count(set);
}

}  // namespace db_test
