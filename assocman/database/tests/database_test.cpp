// Creating the association's database: a new keyed file with the four tables,
// never over an existing file, and nothing left behind when it fails.
#include "assocman/database/database.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/db/db.h"
#include "platform/db/tests/support.h"

namespace {

using db_test::PresenterLog;
using db_test::TempDir;

const std::string kKey = "s3cret-钥匙";

struct Database {
    TempDir dir;
    std::string file = dir.file("causercount.mdb");
    Database()
    {
        std::string error;
        EXPECT_TRUE(database::create_database(file, kKey, &error)) << error;
    }
};

int count_rows(db::Connection& connection, const std::string& table)
{
    db::RecordSet set;
    db::recordset_set_connection(set, connection);
    (void)db::recordset_open(set, table, db::Source::table);  // a missing table counts -1
    return db::record_count(set);
}

TEST(CreateDatabase, RefusesAnExistingFileAndLeavesItUntouched)
{
    TempDir dir;
    const std::string file = dir.file("causercount.mdb");
    db_test::write_file(file, "keep me");
    std::string error;
    EXPECT_FALSE(database::create_database(file, kKey, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(db_test::read_file(file), "keep me");

    Database database;
    const std::string before = db_test::read_file(database.file);
    EXPECT_FALSE(database::create_database(database.file, "other", nullptr));
    EXPECT_EQ(db_test::read_file(database.file), before);
}

TEST(CreateDatabase, FileIsEncrypted)
{
    Database database;
    const std::string bytes = db_test::read_file(database.file);
    ASSERT_GT(bytes.size(), 16u);
    EXPECT_NE(bytes.substr(0, 15), "SQLite format 3");
    EXPECT_EQ(bytes.find("causer"), std::string::npos);
}

TEST(CreateDatabase, FailureLeavesNoFile)
{
    TempDir dir;
    std::string error;
    EXPECT_FALSE(database::create_database(dir.file("no/such/folder/causercount.mdb"), kKey, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(db_test::file_exists(dir.file("no")));
}

TEST(CreateSchema, IsAllOrNothing)
{
    Database database;
    db::Connection connection;
    ASSERT_TRUE(db::db_connect_access(connection, database.file, kKey));
    db_test::exec(connection, "drop table ketang");
    EXPECT_FALSE(database::create_schema(connection)) << "causer exists already";
    PresenterLog log;
    EXPECT_EQ(count_rows(connection, "ketang"), -1) << "the failed schema must not leave ketang behind";
    EXPECT_EQ(log.messages.size(), 1u);

    db::Connection closed;
    EXPECT_FALSE(database::create_schema(closed));
}

TEST(SqlcipherShell, ListsTheFourTables)
{
    if (::system("command -v sqlcipher >/dev/null 2>&1") != 0) GTEST_SKIP() << "no sqlcipher shell";
    TempDir dir;
    const std::string file = dir.file("causercount.mdb");
    ASSERT_TRUE(database::create_database(file, "Ab3dEf6hIj9kLm0n", nullptr));
    std::string output;
    ASSERT_TRUE(db_test::shell_output(
        "printf \"PRAGMA key='Ab3dEf6hIj9kLm0n';\\n.tables\\n\" | sqlcipher '" + file + "' 2>&1", output));
    for (const char* table : {"causer", "qiandao", "ketang", "adminuser"}) {
        EXPECT_NE(output.find(table), std::string::npos) << output;
    }
    // The shell fails with a wrong key; what matters is that it shows nothing.
    db_test::shell_output("printf \"PRAGMA key='wrong';\\n.tables\\n\" | sqlcipher '" + file + "' 2>&1",
                          output);
    EXPECT_EQ(output.find("causer"), std::string::npos) << output;
}

}  // namespace
