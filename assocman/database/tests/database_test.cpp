// The association's database as another program sees it: a new keyed file
// holds the four tables, and only its key shows them. How a keyed database is
// made (never over an existing file, nothing left behind when it fails) is
// checked with the database layer.
#include "assocman/database/database.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/db/tests/support.h"
#include "tests/support/run_command.h"

namespace {

TEST(SqlcipherShell, ListsTheFourTables)
{
    if (::system("command -v sqlcipher >/dev/null 2>&1") != 0) GTEST_SKIP() << "no sqlcipher shell";
    db_test::TempDir dir;
    const std::string file = dir.file("causercount.mdb");
    ASSERT_TRUE(database::create_database(file, "Ab3dEf6hIj9kLm0n", nullptr));
    std::string output;
    const auto list_tables = [&](const std::string& key) {
        return test_support::run_command(
            "printf \"PRAGMA key='" + key + "';\\n.tables\\n\" | sqlcipher '" + file + "' 2>&1", output);
    };
    ASSERT_EQ(list_tables("Ab3dEf6hIj9kLm0n"), 0) << output;
    for (const char* table : {"causer", "qiandao", "ketang", "adminuser"}) {
        EXPECT_NE(output.find(table), std::string::npos) << output;
    }
    // The shell fails with a wrong key; what matters is that it shows nothing.
    list_tables("wrong");
    EXPECT_EQ(output.find("causer"), std::string::npos) << output;
}

}  // namespace
