#include "platform/db/tests/support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace db_test {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "db-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

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

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_file(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool create_database(const std::string& file, const std::string& key, std::string* error)
{
    static const char* const kSampleTables =
        "create table causer (id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT, phonenum TEXT, class TEXT,"
        " sex TEXT, xuehao TEXT, otherinfo TEXT);"
        "create table qiandao (name TEXT, dao BOOLEAN DEFAULT 0);"
        "create table ketang (title TEXT, class TEXT, text TEXT,"
        " time DATETIME DEFAULT (datetime('now','localtime')));"
        "create table adminuser (adminname TEXT, adminpass TEXT, quanxian TEXT, disabled BOOLEAN DEFAULT 0);";
    return db::create_keyed_database(file, key, kSampleTables, error);
}

void exec(db::Connection& connection, const std::string& sql, const std::vector<db::Param>& params)
{
    db::RecordSet scratch;
    db::recordset_set_connection(scratch, connection);
    EXPECT_TRUE(db::recordset_open(scratch, sql, db::Source::sql, params)) << sql;
}

bool shell_output(const std::string& command, std::string& output)
{
    output.clear();
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return false;
    char buffer[512];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    return ::pclose(pipe) == 0;
}

}  // namespace db_test
