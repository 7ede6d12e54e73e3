// Creating a database, connecting, and what the connection does to the
// record sets bound to it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "platform/db/db.h"
#include "platform/db/testing.h"
#include "platform/db/tests/support.h"
#include "tests/support/run_command.h"

namespace {

using db_test::count_rows;
using db_test::PresenterLog;
using db_test::TempDir;

const std::string kKey = "s3cret-钥匙";

struct Database {
    TempDir dir;
    std::string file = dir.file("sample.db");
    Database()
    {
        std::string error;
        EXPECT_TRUE(db_test::create_database(file, kKey, &error)) << error;
    }
};

TEST(Connect, OpensACreatedDatabaseWithItsKey)
{
    Database database;
    db::Connection connection;
    ASSERT_TRUE(db::db_connect_access(connection, database.file, kKey));
    EXPECT_TRUE(connection.is_open());
    for (const char* table : {"people", "marks", "journal", "users"}) {
        EXPECT_EQ(count_rows(connection, table), 0) << table;
    }
}

TEST(Connect, RefusesWhatIsNotTheDatabaseWithoutAMessage)
{
    struct Case {
        const char* name;
        std::function<std::string(const TempDir&, const std::string& database)> make;  // returns the path
        std::string key;
    };
    const Case cases[] = {
        {"wrong key", [](const TempDir&, const std::string& d) { return d; }, "wrong"},
        {"no key for a keyed file", [](const TempDir&, const std::string& d) { return d; }, ""},
        {"key one byte short", [](const TempDir&, const std::string& d) { return d; }, kKey.substr(0, 11)},
        {"missing file", [](const TempDir& t, const std::string&) { return t.file("missing.db"); }, kKey},
        {"text file",
         [](const TempDir& t, const std::string&) {
             db_test::write_file(t.file("plain.txt"), std::string(4096, 'x'));
             return t.file("plain.txt");
         },
         kKey},
        {"empty file",
         [](const TempDir& t, const std::string&) {
             db_test::write_file(t.file("empty.db"), "");
             return t.file("empty.db");
         },
         kKey},
        {"directory", [](const TempDir& t, const std::string&) { return t.path(); }, kKey},
        {"link to a FIFO nobody writes to",
         [](const TempDir& t, const std::string&) {
             EXPECT_EQ(::mkfifo(t.file("fifo").c_str(), 0600), 0);
             EXPECT_EQ(::symlink(t.file("fifo").c_str(), t.file("link.db").c_str()), 0);
             return t.file("link.db");
         },
         kKey},
        {"name with a zero byte",
         [](const TempDir&, const std::string& d) { return d + std::string(1, '\0'); }, kKey},
        {"empty name", [](const TempDir&, const std::string&) { return std::string(); }, kKey},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Database database;
        const std::string path = c.make(database.dir, database.file);
        PresenterLog log;
        db::Connection connection;
        ::alarm(10);  // a file that blocks its reader ends the test instead of hanging it
        db::derive_key(path, c.key);
        EXPECT_FALSE(db::db_connect_access(connection, path, c.key));
        ::alarm(0);
        EXPECT_FALSE(connection.is_open());
        EXPECT_TRUE(log.messages.empty());
    }
}

TEST(Connect, MissingFileIsNeverCreated)
{
    TempDir dir;
    db::Connection connection;
    EXPECT_FALSE(db::db_connect_access(connection, dir.file("sample.db"), ""));
    EXPECT_FALSE(db::db_connect_access(connection, dir.file("sample.db"), kKey));
    EXPECT_FALSE(db_test::file_exists(dir.file("sample.db")));
}

TEST(Connect, FailedReconnectLeavesTheConnectionClosed)
{
    Database database;
    db::Connection connection;
    ASSERT_TRUE(db::db_connect_access(connection, database.file, kKey));
    EXPECT_FALSE(db::db_connect_access(connection, database.file, "wrong"));
    EXPECT_FALSE(connection.is_open());
}

TEST(Connect, WaitsOutAHeldDatabaseOnce)
{
    Database database;
    db::Connection holder;
    db::Connection connection;
    ASSERT_TRUE(db::db_connect_access(holder, database.file, kKey));  // the key is kept from here on
    db_test::exec(holder, "begin exclusive");
    db::set_connect_busy_timeout(1000);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(db::db_connect_access(connection, database.file, kKey));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1800)) << "not twice";
    db::set_connect_busy_timeout(-1);
}

// Root ignores permission bits, so the check runs in a child that has given
// them up.
bool connects_without_privileges(const std::string& file, const std::string& key)
{
    if (::geteuid() != 0) {
        db::Connection connection;
        return db::db_connect_access(connection, file, key);
    }
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
        db::Connection connection;
        ::_exit(db::db_connect_access(connection, file, key) ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 1;
}

TEST(Connect, WriteProtectedFileIsRefused)
{
    Database database;
    ASSERT_EQ(::chmod(database.dir.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(database.file.c_str(), 0666), 0);
    ASSERT_TRUE(connects_without_privileges(database.file, kKey)) << "control: a writable file connects";
    ASSERT_EQ(::chmod(database.file.c_str(), 0444), 0);
    EXPECT_FALSE(connects_without_privileges(database.file, kKey));
}

TEST(CreateKeyedDatabase, RefusesAnExistingFileAndLeavesItUntouched)
{
    TempDir dir;
    const std::string file = dir.file("sample.db");
    db_test::write_file(file, "keep me");
    std::string error;
    EXPECT_FALSE(db_test::create_database(file, kKey, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(db_test::read_file(file), "keep me");

    Database database;
    const std::string before = db_test::read_file(database.file);
    EXPECT_FALSE(db_test::create_database(database.file, "other", nullptr));
    EXPECT_EQ(db_test::read_file(database.file), before);
}

TEST(CreateKeyedDatabase, FileIsEncrypted)
{
    Database database;
    const std::string bytes = db_test::read_file(database.file);
    ASSERT_GT(bytes.size(), 16u);
    EXPECT_NE(bytes.substr(0, 15), "SQLite format 3");
    EXPECT_EQ(bytes.find("people"), std::string::npos);
}

TEST(CreateKeyedDatabase, FailureLeavesNoFile)
{
    TempDir dir;
    std::string error;
    EXPECT_FALSE(db_test::create_database(dir.file("no/such/folder/sample.db"), kKey, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(db_test::file_exists(dir.file("no")));
}

TEST(RunScript, IsAllOrNothingAndNeverEndsTheCallersTransaction)
{
    Database database;
    db::Connection connection;
    ASSERT_TRUE(db::db_connect_access(connection, database.file, kKey));
    db_test::exec(connection, "drop table journal");
    EXPECT_FALSE(db::run_script(connection, db_test::kSampleTables)) << "people exists already";
    PresenterLog log;
    EXPECT_EQ(count_rows(connection, "journal"), -1) << "the failed script must not leave journal behind";
    EXPECT_EQ(log.messages.size(), 1u);

    db::Connection closed;
    EXPECT_FALSE(db::run_script(closed, db_test::kSampleTables));

    // Refused within a transaction, which goes on; a rollback ends one at once.
    db::Connection other;
    ASSERT_TRUE(db::db_connect_access(other, database.file, kKey));
    db::set_busy_timeout(other, 20);
    ASSERT_TRUE(db::begin_transaction(connection));
    db_test::exec(connection, "insert into people (name) values ('kept')");
    EXPECT_FALSE(db::run_script(connection, "create table extra (x TEXT)"));
    EXPECT_TRUE(db::commit_transaction(connection));
    ASSERT_TRUE(db::begin_transaction(connection));
    db_test::exec(connection, "insert into people (name) values ('dropped')");
    EXPECT_TRUE(db::rollback_transaction(connection));
    EXPECT_FALSE(db::in_transaction(connection));
    EXPECT_EQ(count_rows(connection, "people"), 1);
    db_test::exec(other, "insert into people (name) values ('other')");
}

std::string first_name(db::Connection& connection)
{
    db::RecordSet set;
    db::recordset_set_connection(set, connection);
    std::string name;
    if (db::recordset_open(set, "people", db::Source::table)) {
        EXPECT_TRUE(db::recordset_read_text(set, "name", name));
    }
    return name;
}

// A database made the usual way, holding one person whose name tells it apart.
std::string make_marked(const TempDir& dir, const std::string& name, const std::string& key,
                        const std::string& marker)
{
    const std::string file = dir.file(name);
    EXPECT_TRUE(db_test::create_database(file, key, nullptr));
    db::Connection connection;
    EXPECT_TRUE(db::db_connect_access(connection, file, key));
    db_test::exec(connection, "insert into people (name) values (?)", {marker});
    return file;
}

TEST(DerivedKeys, OnceForEachFileAndPasswordAndNeverOnAnotherFile)
{
    PresenterLog log;
    TempDir dir;
    db::forget_derived_keys();
    const auto counts = [] { return db::detail::key_counts(); };

    // The first connection derives, the later ones only use the key.
    const std::string file = make_marked(dir, "sample.db", kKey, "first");
    db::forget_derived_keys();
    auto before = counts();
    for (int i = 0; i < 3; ++i) {
        db::Connection connection;
        ASSERT_TRUE(db::db_connect_access(connection, file, kKey)) << i;
        EXPECT_EQ(first_name(connection), "first");
    }
    EXPECT_EQ(counts().derived - before.derived, 1u);
    EXPECT_EQ(counts().raw_opens - before.raw_opens, 3u) << "every connection opens with the derived key";

    // Dropped keys are derived again.
    db::forget_derived_keys();
    before = counts();
    {
        db::Connection connection;
        ASSERT_TRUE(db::db_connect_access(connection, file, kKey));
    }
    EXPECT_EQ(counts().derived - before.derived, 1u);

    // Another database written over it, same password: its own key opens it,
    // though the file is still the same inode.
    const std::string other = make_marked(dir, "other.db", kKey, "second");
    db_test::write_file(file, db_test::read_file(other));
    before = counts();
    {
        db::Connection connection;
        ASSERT_TRUE(db::db_connect_access(connection, file, kKey));
        EXPECT_EQ(first_name(connection), "second");
    }
    EXPECT_EQ(counts().raw_opens - before.raw_opens, 1u)
        << "with its own key, not the one kept for the first";

    // Another one with a password of its own: the known password fails.
    const std::string foreign = make_marked(dir, "foreign.db", "foreign-key", "third");
    ASSERT_EQ(::rename(foreign.c_str(), file.c_str()), 0);
    {
        db::Connection connection;
        EXPECT_FALSE(db::db_connect_access(connection, file, kKey));
    }

    // Rekeyed by someone else while the old key is kept: the old password
    // fails, the new one opens it.
    const std::string rekeyed = make_marked(dir, "rekeyed.db", kKey, "fourth");
    {
        db::Connection connection;
        ASSERT_TRUE(db::db_connect_access(connection, rekeyed, kKey));
    }
    {
        db::Connection other_program;
        ASSERT_TRUE(db::db_connect_access(other_program, rekeyed, kKey));
        db_test::exec(other_program, "pragma rekey = 'changed'");
    }
    {
        db::Connection connection;
        EXPECT_FALSE(db::db_connect_access(connection, rekeyed, kKey));
        EXPECT_TRUE(db::db_connect_access(connection, rekeyed, "changed"));
        EXPECT_EQ(first_name(connection), "fourth");
    }
    EXPECT_TRUE(log.messages.empty()) << log.messages.front();
}

TEST(DerivedKeys, OpenADatabaseMadeByTheSqlcipherShell)
{
    if (::system("command -v sqlcipher >/dev/null 2>&1") != 0) GTEST_SKIP() << "no sqlcipher shell";
    TempDir dir;
    const std::string file = dir.file("shell.db");
    std::string output;
    const std::string shell =
        "printf \"PRAGMA key='shell key';\\ncreate table people (name TEXT);\\n"
        "insert into people values ('made by the shell');\\n\" | sqlcipher '" +
        file + "' 2>&1";
    ASSERT_EQ(test_support::run_command(shell, output), 0) << output;
    db::forget_derived_keys();
    const auto before = db::detail::key_counts();
    for (int i = 0; i < 2; ++i) {
        db::Connection connection;
        ASSERT_TRUE(db::db_connect_access(connection, file, "shell key")) << i;
        EXPECT_EQ(first_name(connection), "made by the shell");
    }
    EXPECT_EQ(db::detail::key_counts().derived - before.derived, 1u);
    EXPECT_EQ(db::detail::key_counts().raw_opens - before.raw_opens, 2u);
}

TEST(DerivedKeys, AConnectionWaitsForTheKeyBeingDerivedAhead)
{
    TempDir dir;
    const std::string file = make_marked(dir, "sample.db", kKey, "ahead");
    db::forget_derived_keys();
    const auto before = db::detail::key_counts();
    std::thread ahead([&] { db::derive_key(file, kKey); });
    {
        db::Connection connection;
        EXPECT_TRUE(db::db_connect_access(connection, file, kKey));
    }
    ahead.join();
    EXPECT_EQ(db::detail::key_counts().derived - before.derived, 1u) << "derived once between the two";
    EXPECT_EQ(db::detail::key_counts().raw_opens - before.raw_opens, 1u);
}

TEST(TwoConnections, WriteInTurnWithoutLocking)
{
    Database database;
    PresenterLog log;
    db::Connection first;
    db::Connection second;
    ASSERT_TRUE(db::db_connect_access(first, database.file, kKey));
    ASSERT_TRUE(db::db_connect_access(second, database.file, kKey));
    db::RecordSet one;
    db::RecordSet two;
    db::recordset_set_connection(one, first);
    db::recordset_set_connection(two, second);
    // Both sets stay open on the same table all the time, as two windows do.
    ASSERT_TRUE(db::recordset_open(one, "people", db::Source::table));
    ASSERT_TRUE(db::recordset_open(two, "people", db::Source::table));

    for (int i = 0; i < 20; ++i) {
        db::RecordSet& set = i % 2 == 0 ? one : two;
        ASSERT_TRUE(db::recordset_add_new(set)) << i;
        ASSERT_TRUE(db::recordset_write_text(set, "name", "person " + std::to_string(i))) << i;
        ASSERT_TRUE(db::recordset_update(set)) << i;
        db_test::exec(i % 2 == 0 ? second : first, "update people set remark = ?", {std::to_string(i)});
    }
    ASSERT_TRUE(db::recordset_open(one, "people", db::Source::table));
    EXPECT_EQ(db::record_count(one), 20);
    std::string info;
    EXPECT_TRUE(db::recordset_read_text(one, "remark", info));
    EXPECT_EQ(info, "19");
    EXPECT_TRUE(log.messages.empty()) << log.messages.front();
}

TEST(Binding, ClosingTheConnectionClosesItsSets)
{
    Database database;
    db::Connection connection;
    ASSERT_TRUE(db::db_connect_access(connection, database.file, kKey));
    db::RecordSet set;
    db::recordset_set_connection(set, connection);
    ASSERT_TRUE(db::recordset_open(set, "people", db::Source::table));
    db::db_close(connection);
    EXPECT_EQ(db::record_count(set), -1);
    EXPECT_EQ(db::position(set), db::Place::none);

    // Still bound: a reconnect makes the set usable again.
    ASSERT_TRUE(db::db_connect_access(connection, database.file, kKey));
    EXPECT_TRUE(db::recordset_open(set, "people", db::Source::table));
    // Reconnecting closes it too.
    ASSERT_TRUE(db::db_connect_access(connection, database.file, kKey));
    EXPECT_EQ(db::record_count(set), -1);
}

TEST(Binding, EitherSideMayGoFirst)
{
    Database database;
    PresenterLog log;
    {
        auto connection = std::make_unique<db::Connection>();
        ASSERT_TRUE(db::db_connect_access(*connection, database.file, kKey));
        db::RecordSet set;
        db::recordset_set_connection(set, *connection);
        ASSERT_TRUE(db::recordset_open(set, "people", db::Source::table));
        connection.reset();
        EXPECT_EQ(db::record_count(set), -1);
        EXPECT_FALSE(db::recordset_open(set, "people", db::Source::table));
        EXPECT_FALSE(db::recordset_add_new(set));
        EXPECT_EQ(log.messages.size(), 1u);
    }
    {
        db::Connection connection;
        ASSERT_TRUE(db::db_connect_access(connection, database.file, kKey));
        auto set = std::make_unique<db::RecordSet>();
        db::recordset_set_connection(*set, connection);
        ASSERT_TRUE(db::recordset_open(*set, "people", db::Source::table));
        set.reset();
        db::db_close(connection);  // must not reach the destroyed set
    }
}

TEST(Binding, RebindingMovesTheSet)
{
    Database database;
    db::Connection first;
    db::Connection second;
    ASSERT_TRUE(db::db_connect_access(first, database.file, kKey));
    ASSERT_TRUE(db::db_connect_access(second, database.file, kKey));
    db::RecordSet set;
    db::recordset_set_connection(set, first);
    db::recordset_set_connection(set, second);
    ASSERT_TRUE(db::recordset_open(set, "people", db::Source::table));
    db::db_close(first);
    EXPECT_EQ(db::record_count(set), 0) << "no longer bound to the first connection";
}

TEST(Binding, UnboundSetReportsOnOpen)
{
    PresenterLog log;
    db::RecordSet set;
    EXPECT_FALSE(db::recordset_open(set, "people", db::Source::table));
    EXPECT_EQ(log.messages.size(), 1u);
    EXPECT_EQ(db::record_count(set), -1);
}

}  // namespace
