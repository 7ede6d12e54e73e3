// Record sets: moving, reading, writing, adding, deleting and finding, each
// checked against what is really stored in a fresh database.
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "platform/db/db.h"
#include "platform/db/testing.h"
#include "platform/db/tests/support.h"

namespace {

using db_test::PresenterLog;
using db_test::TempDir;

db::Position at_row(int row) { return db::Position::at_row(row); }

class RecordSetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(db_test::create_database(file, "key", &error)) << error;
        ASSERT_TRUE(db::db_connect_access(connection, file, "key"));
        db::recordset_set_connection(set, connection);
    }

    void add_people(const std::vector<std::string>& names)
    {
        for (const std::string& name : names) {
            db_test::exec(connection, "insert into people (name, code) values (?, ?)", {name, "2024" + name});
        }
    }

    // What the table holds now, read through a second set.
    std::vector<std::string> stored(const std::string& table, const std::string& field)
    {
        db::RecordSet reader;
        db::recordset_set_connection(reader, connection);
        std::vector<std::string> out;
        if (!db::recordset_open(reader, table, db::Source::table)) return out;
        for (int i = db::record_count(reader); i > 0; --i) {
            std::string value;
            EXPECT_TRUE(db::recordset_read_text(reader, field, value));
            out.push_back(value);
            EXPECT_TRUE(db::recordset_move_next(reader));
        }
        return out;
    }

    std::string text(const std::string& field)
    {
        std::string value;
        EXPECT_TRUE(db::recordset_read_text(set, field, value));
        return value;
    }

    TempDir dir;
    std::string file = dir.file("sample.db");
    PresenterLog log;
    db::Connection connection;
    db::RecordSet set;
};

// ---- positions and moves ----------------------------------------------------

enum class Op { first, next, previous };

struct Step {
    Op op;
    bool result;
    db::Position position;
};

TEST_F(RecordSetTest, MovesFollowTheRowsAndRefusedMovesChangeNothing)
{
    add_people({"a", "b", "c"});
    ASSERT_TRUE(db::recordset_open(set, "people", db::Source::table));
    ASSERT_EQ(db::record_count(set), 3);
    ASSERT_EQ(db::position(set), at_row(0)) << "a fresh set stands on its first row";

    const Step steps[] = {
        {Op::previous, true, db::Place::before_first},
        {Op::previous, false, db::Place::before_first},
        {Op::next, true, at_row(0)},
        {Op::next, true, at_row(1)},
        {Op::next, true, at_row(2)},
        {Op::next, true, db::Place::after_last},
        {Op::next, false, db::Place::after_last},
        {Op::previous, true, at_row(2)},
        {Op::first, true, at_row(0)},
        {Op::next, true, at_row(1)},
        {Op::previous, true, at_row(0)},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(i);
        bool result = false;
        switch (steps[i].op) {
            case Op::first:
                result = db::recordset_move_first(set);
                break;
            case Op::next:
                result = db::recordset_move_next(set);
                break;
            case Op::previous:
                result = db::recordset_move_previous(set);
                break;
        }
        EXPECT_EQ(result, steps[i].result);
        EXPECT_EQ(db::position(set), steps[i].position);
    }
    EXPECT_TRUE(log.messages.empty());
}

TEST_F(RecordSetTest, EmptyAndClosedSets)
{
    std::string value = "stale";
    ASSERT_TRUE(db::recordset_open(set, "people", db::Source::table));
    EXPECT_EQ(db::record_count(set), 0);
    EXPECT_EQ(db::position(set), db::Place::after_last) << "an empty set stands after its (missing) last row";
    EXPECT_FALSE(db::recordset_move_first(set));
    EXPECT_FALSE(db::recordset_move_next(set));
    EXPECT_FALSE(db::recordset_move_previous(set));
    EXPECT_EQ(db::position(set), db::Place::after_last);
    EXPECT_FALSE(db::recordset_read_text(set, "name", value));
    EXPECT_EQ(value, "");

    db::recordset_close(set);
    value = "stale";
    EXPECT_EQ(db::record_count(set), -1);
    EXPECT_EQ(db::position(set), db::Place::none);
    EXPECT_FALSE(db::recordset_move_first(set));
    EXPECT_FALSE(db::recordset_move_next(set));
    EXPECT_FALSE(db::recordset_read_text(set, "name", value));
    EXPECT_EQ(value, "");
    EXPECT_FALSE(db::recordset_add_new(set));
    EXPECT_FALSE(db::recordset_delete(set, db::Delete::all));
    EXPECT_TRUE(log.messages.empty());
}

TEST_F(RecordSetTest, ReadingAfterTheLastRowGivesEmptyText)
{
    add_people({"a"});
    ASSERT_TRUE(db::recordset_open(set, "people", db::Source::table));
    ASSERT_TRUE(db::recordset_move_next(set));
    std::string value = "stale";
    bool flag = true;
    long long number = 7;
    db::DateTime when{2000, 1, 1, 1, 1, 1};
    EXPECT_FALSE(db::recordset_read_text(set, "name", value));
    EXPECT_FALSE(db::recordset_read_bool(set, "name", flag));
    EXPECT_FALSE(db::recordset_read_integer(set, "id", number));
    EXPECT_FALSE(db::recordset_read_datetime(set, "name", when));
    EXPECT_EQ(value, "");
    EXPECT_FALSE(flag);
    EXPECT_EQ(number, 0);
}

// ---- reading by declared type ---------------------------------------------------

TEST_F(RecordSetTest, ReadsTextByDeclaredType)
{
    db_test::exec(connection,
                  "create table kinds (i INTEGER, s SINGLE, f FLOAT, d DOUBLE, r REAL, m DECIMAL(10,2),"
                  " t DATETIME, b BOOLEAN, x BLOB, c TEXT, v VARCHAR(20), g GEOMETRY, n NUMERIC)");
    db_test::exec(
        connection, "insert into kinds values (?,?,?,?,?,?,?,?,?,?,?,?,?)",
        {42LL, 1.5, 2.25, 3.125, -0.5, 12.3, "2024-02-29 13:05:09", 1LL, "raw", "文本", "abc", "pt", 7LL});
    db_test::exec(connection, "update kinds set x = zeroblob(4)");
    db_test::exec(connection, "insert into kinds (i) values (null)");
    db_test::exec(connection, "insert into kinds (b, t) values (0, '2024-13-01 00:00:00')");

    struct Case {
        const char* field;
        const char* row1;
        const char* row2;  // NULLs
    };
    const Case cases[] = {
        {"i", "42", ""},
        {"s", "1.5000", ""},
        {"f", "2.2500", ""},
        {"d", "3.12500000", ""},
        {"r", "-0.50000000", ""},
        {"m", "12.30000000", ""},
        {"t", "2024-02-29 13:05:09", ""},
        {"b", "TRUE", ""},
        {"x", "[BLOB]", ""},
        {"c", "文本", ""},
        {"v", "abc", ""},
        {"g", "UN_KNOW", ""},
        {"n", "7.00000000", ""},
        {"I", "42", ""},  // field names ignore ASCII case
    };
    ASSERT_TRUE(db::recordset_open(set, "kinds", db::Source::table));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        std::string value;
        ASSERT_TRUE(db::recordset_move_first(set));
        EXPECT_TRUE(db::recordset_read_text(set, c.field, value));
        EXPECT_EQ(value, c.row1);
        ASSERT_TRUE(db::recordset_move_next(set));
        value = "stale";
        EXPECT_TRUE(db::recordset_read_text(set, c.field, value));
        EXPECT_EQ(value, c.row2);
    }
    ASSERT_TRUE(db::recordset_move_next(set));
    EXPECT_EQ(text("b"), "FALSE");
    EXPECT_EQ(text("t"), "2024-13-01 00:00:00") << "a text that is no date is shown as stored";

    std::string value;
    EXPECT_FALSE(db::recordset_read_text(set, "nosuch", value));
}

TEST_F(RecordSetTest, ReadsExpressionsByStoredClass)
{
    ASSERT_TRUE(db::recordset_open(set, "select 42 as n, 1.5 as x, 'abc' as t, null as z, x'00' as y",
                                   db::Source::sql));
    EXPECT_EQ(text("n"), "42");
    EXPECT_EQ(text("x"), "1.50000000");
    EXPECT_EQ(text("t"), "abc");
    EXPECT_EQ(text("z"), "");
    EXPECT_EQ(text("y"), "[BLOB]");
    long long number = 0;
    EXPECT_TRUE(db::recordset_read_integer(set, "n", number));
    EXPECT_EQ(number, 42);
    EXPECT_FALSE(db::recordset_read_integer(set, "t", number));
}

TEST_F(RecordSetTest, ReadsLogicalIntegerAndDateTimeValues)
{
    db_test::exec(connection, "create table v (b BOOLEAN, i INTEGER, c TEXT, t DATETIME)");
    struct Case {
        std::vector<db::Param> row;
        bool flag;
        bool integer_ok;
        long long integer;
        bool datetime_ok;
        db::DateTime datetime;
    };
    const Case cases[] = {
        {{1LL, 5LL, "x", "2026-12-08 14:00:09"}, true, true, 5, true, {2026, 12, 8, 14, 0, 9}},
        {{0LL, -3LL, "x", "2026-12-08"}, false, true, -3, true, {2026, 12, 8, 0, 0, 0}},
        {{2LL, 0LL, "x", "2026-12-08T07:30"}, true, true, 0, true, {2026, 12, 8, 7, 30, 0}},
        {{{}, {}, "x", {}}, false, false, 0, true, db::DateTime{}},  // NULL: the zero date-time
        {{"0", "12", "x", "2026-02-30 00:00:00"}, false, true, 12, false, db::DateTime{}},
        {{"2", 1LL, "x", "yesterday"}, true, true, 1, false, db::DateTime{}},
        // The lowest 64-bit value, which the engine keeps as a real.
        {{1LL, -9223372036854775808.0, "x", {}}, true, true, std::numeric_limits<long long>::min(), true, {}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const Case& c = cases[i];
        db_test::exec(connection, "delete from v");
        db_test::exec(connection, "insert into v values (?, ?, ?, ?)", c.row);
        ASSERT_TRUE(db::recordset_open(set, "v", db::Source::table));
        bool flag = !c.flag;
        long long integer = 99;
        db::DateTime when{1, 1, 1, 1, 1, 1};
        EXPECT_TRUE(db::recordset_read_bool(set, "b", flag));
        EXPECT_EQ(flag, c.flag);
        EXPECT_EQ(db::recordset_read_integer(set, "i", integer), c.integer_ok);
        EXPECT_EQ(integer, c.integer);
        EXPECT_EQ(db::recordset_read_datetime(set, "t", when), c.datetime_ok);
        EXPECT_EQ(when, c.datetime);
        EXPECT_FALSE(db::recordset_read_integer(set, "c", integer)) << "integer fields only";
    }
}

// A real that no 64-bit integer holds (infinite, or beyond the range) has no
// integer reading: the read fails as for any value of the wrong kind instead
// of handing out whatever the machine's conversion makes of it.
TEST_F(RecordSetTest, RealBeyondTheIntegerRangeHasNoIntegerReading)
{
    db_test::exec(connection, "create table r (i INTEGER)");
    const double infinity = std::numeric_limits<double>::infinity();
    for (double real : {infinity, -infinity, 1e19, -1e19, 9223372036854775808.0, 2.5}) {
        db_test::exec(connection, "insert into r values (?)", {real});
    }
    ASSERT_TRUE(db::recordset_open(set, "r", db::Source::table));
    for (int row = 0; row < 5; ++row) {
        SCOPED_TRACE(row);
        long long number = 99;
        std::string value = "stale";
        bool flag = false;
        EXPECT_FALSE(db::recordset_read_integer(set, "i", number));
        EXPECT_EQ(number, 0);
        EXPECT_FALSE(db::recordset_read_text(set, "i", value));
        EXPECT_EQ(value, "");
        EXPECT_TRUE(db::recordset_read_bool(set, "i", flag));
        EXPECT_TRUE(flag);
        ASSERT_TRUE(db::recordset_move_next(set));
    }
    long long number = 0;
    EXPECT_TRUE(db::recordset_read_integer(set, "i", number));
    EXPECT_EQ(number, 2);
    EXPECT_EQ(text("i"), "2");
}

// ---- writing -----------------------------------------------------------------------

TEST_F(RecordSetTest, PendingWriteIsSavedByAMove)
{
    for (const char* name : {"a", "b"})
        db_test::exec(connection, "insert into marks (name) values (?)", {name});
    ASSERT_TRUE(db::recordset_open(set, "marks", db::Source::table));
    EXPECT_EQ(text("present"), "FALSE") << "the table's default";
    EXPECT_FALSE(db::recordset_has_pending_write(set));

    ASSERT_TRUE(db::recordset_write_integer(set, "present", 1));
    EXPECT_EQ(text("present"), "TRUE") << "a pending write reads back at once";
    EXPECT_EQ(stored("marks", "present"), (std::vector<std::string>{"FALSE", "FALSE"})) << "not saved yet";
    EXPECT_TRUE(db::recordset_has_pending_write(set));
    ASSERT_TRUE(db::recordset_move_next(set));
    EXPECT_EQ(stored("marks", "present"), (std::vector<std::string>{"TRUE", "FALSE"}));
    EXPECT_FALSE(db::recordset_has_pending_write(set));

    // The last row, saved by moving past the end; then back on it.
    ASSERT_TRUE(db::recordset_write_integer(set, "present", 0));
    ASSERT_TRUE(db::recordset_write_text(set, "name", "b'; --"));
    ASSERT_TRUE(db::recordset_move_next(set));
    ASSERT_TRUE(db::recordset_move_previous(set));
    EXPECT_EQ(text("name"), "b'; --");
    EXPECT_EQ(stored("marks", "name"), (std::vector<std::string>{"a", "b'; --"}));
}

TEST_F(RecordSetTest, RefusedWrites)
{
    add_people({"a"});
    struct Case {
        const char* name;
        std::function<void()> prepare;
        const char* field;
        bool has_row = false;  // an update with nothing to save succeeds there
    };
    const Case cases[] = {
        {"sql set", [&] { EXPECT_TRUE(db::recordset_open(set, "select * from people", db::Source::sql)); },
         "name"},
        {"after the last row",
         [&] {
             EXPECT_TRUE(db::recordset_open(set, "people", db::Source::table));
             EXPECT_TRUE(db::recordset_move_next(set));
         },
         "name"},
        {"before the first row",
         [&] {
             EXPECT_TRUE(db::recordset_open(set, "people", db::Source::table));
             EXPECT_TRUE(db::recordset_move_previous(set));
         },
         "name"},
        {"unknown field", [&] { EXPECT_TRUE(db::recordset_open(set, "people", db::Source::table)); },
         "nosuch", true},
        {"closed set", [&] { db::recordset_close(set); }, "name"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.prepare();
        EXPECT_FALSE(db::recordset_write_text(set, c.field, "x"));
        EXPECT_FALSE(db::recordset_write_integer(set, c.field, 1));
        EXPECT_EQ(db::recordset_update(set), c.has_row);
    }
    EXPECT_EQ(stored("people", "name"), std::vector<std::string>{"a"});
    EXPECT_TRUE(log.messages.empty());
}

TEST_F(RecordSetTest, EmptyTextIsStoredAsNull)
{
    add_people({"a"});
    ASSERT_TRUE(db::recordset_open(set, "people", db::Source::table));
    ASSERT_TRUE(db::recordset_write_text(set, "code", ""));
    ASSERT_TRUE(db::recordset_update(set));
    db::RecordSet check;
    db::recordset_set_connection(check, connection);
    ASSERT_TRUE(
        db::recordset_open(check, "select count(*) as n from people where code is null", db::Source::sql));
    std::string n;
    EXPECT_TRUE(db::recordset_read_text(check, "n", n));
    EXPECT_EQ(n, "1");
}

TEST_F(RecordSetTest, TextSurvivesUnchanged)
{
    const std::string texts[] = {
        "O'Brien",    "a\"b",   "x'); delete from people; --", "张三；李四", "line\r\nbreak",
        "  spaced  ", "%d%s\\",
    };
    for (const std::string& t : texts) {
        db_test::exec(connection, "insert into people (name) values (?)", {t});
    }
    // And the same texts once more through a table set's write.
    ASSERT_TRUE(db::recordset_open(set, "people", db::Source::table));
    for (const std::string& t : texts) {
        ASSERT_TRUE(db::recordset_add_new(set));
        ASSERT_TRUE(db::recordset_write_text(set, "name", t));
    }
    ASSERT_TRUE(db::recordset_update(set));

    std::vector<std::string> expected(std::begin(texts), std::end(texts));
    expected.insert(expected.end(), std::begin(texts), std::end(texts));
    EXPECT_EQ(stored("people", "name"), expected);

    db::RecordSet by_name;
    db::recordset_set_connection(by_name, connection);
    ASSERT_TRUE(
        db::recordset_open(by_name, "select id from people where name = ?", db::Source::sql, {"张三；李四"}));
    EXPECT_EQ(db::record_count(by_name), 2);
}

// ---- adding ---------------------------------------------------------------------------

TEST_F(RecordSetTest, AddedRowCarriesWhatTheDatabaseGaveIt)
{
    add_people({"a", "b"});
    ASSERT_TRUE(db::recordset_open(set, "people", db::Source::table));
    ASSERT_TRUE(db::recordset_add_new(set));
    EXPECT_EQ(db::position(set), db::Place::none) << "a new row has no position until saved";
    EXPECT_EQ(text("name"), "");
    ASSERT_TRUE(db::recordset_write_text(set, "name", "c"));
    EXPECT_EQ(text("name"), "c");
    ASSERT_TRUE(db::recordset_update(set));
    EXPECT_EQ(db::record_count(set), 3);
    EXPECT_EQ(db::position(set), at_row(2));
    EXPECT_EQ(text("id"), "3");
    EXPECT_EQ(stored("people", "name"), (std::vector<std::string>{"a", "b", "c"}));

    ASSERT_TRUE(db::recordset_open(set, "journal", db::Source::table));
    ASSERT_TRUE(db::recordset_add_new(set));
    ASSERT_TRUE(db::recordset_write_text(set, "title", "t"));
    ASSERT_TRUE(db::recordset_update(set));
    db::DateTime when;
    EXPECT_TRUE(db::recordset_read_datetime(set, "time", when));
    EXPECT_GE(when.year, 2024) << "the column's default, not the zero date-time";
}

TEST_F(RecordSetTest, AddedRowIsSavedByAMoveOrTheNextAdd)
{
    ASSERT_TRUE(db::recordset_open(set, "users", db::Source::table));
    ASSERT_TRUE(db::recordset_add_new(set));
    ASSERT_TRUE(db::recordset_write_text(set, "username", "x"));
    ASSERT_TRUE(db::recordset_add_new(set));
    ASSERT_TRUE(db::recordset_write_text(set, "username", "y"));
    ASSERT_TRUE(db::recordset_move_previous(set));
    EXPECT_EQ(text("username"), "x");
    EXPECT_EQ(stored("users", "username"), (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(stored("users", "disabled"), (std::vector<std::string>{"FALSE", "FALSE"}));

    ASSERT_TRUE(db::recordset_add_new(set));
    ASSERT_TRUE(db::recordset_move_first(set)) << "an untouched new row is saved with its defaults";
    EXPECT_EQ(db::record_count(set), 3);
}

TEST_F(RecordSetTest, FailedSaveKeepsTheSetWhereItIs)
{
    add_people({"a", "b"});
    ASSERT_TRUE(db::recordset_open(set, "people", db::Source::table));
    ASSERT_TRUE(db::recordset_write_text(set, "name", "changed"));
    db_test::exec(connection, "delete from people where name = 'a'");  // as another window might

    EXPECT_FALSE(db::recordset_move_next(set));
    EXPECT_EQ(db::position(set), at_row(0));
    EXPECT_TRUE(db::recordset_has_pending_write(set)) << "the write stays, to be saved later";
    EXPECT_FALSE(db::recordset_update(set));
    EXPECT_EQ(stored("people", "name"), std::vector<std::string>{"b"}) << "no other row was changed";
    EXPECT_TRUE(log.messages.empty());
}

// ---- deleting ---------------------------------------------------------------------

TEST_F(RecordSetTest, DeletingTheCurrentRow)
{
    struct Case {
        const char* name;
        int delete_at;
        std::function<bool()> move;
        db::Position position_after_move;
    };
    const Case cases[] = {
        {"middle, then next", 1, [&] { return db::recordset_move_next(set); }, at_row(1)},
        {"middle, then previous", 1, [&] { return db::recordset_move_previous(set); }, at_row(0)},
        {"first, then previous", 0, [&] { return db::recordset_move_previous(set); },
         db::Place::before_first},
        {"last, then next", 2, [&] { return db::recordset_move_next(set); }, db::Place::after_last},
        {"last, then previous", 2, [&] { return db::recordset_move_previous(set); }, at_row(1)},
        {"middle, then first", 1, [&] { return db::recordset_move_first(set); }, at_row(0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        db_test::exec(connection, "delete from people");
        add_people({"a", "b", "c"});
        ASSERT_TRUE(db::recordset_open(set, "people", db::Source::table));
        for (int i = 0; i < c.delete_at; ++i) EXPECT_TRUE(db::recordset_move_next(set));
        const std::string victim = text("name");

        ASSERT_TRUE(db::recordset_delete(set, db::Delete::current));
        EXPECT_EQ(db::record_count(set), 2);
        EXPECT_EQ(db::position(set), db::Place::none);
        std::string value = "stale";
        EXPECT_FALSE(db::recordset_read_text(set, "name", value));
        EXPECT_FALSE(db::recordset_write_text(set, "name", "x"));
        EXPECT_FALSE(db::recordset_delete(set, db::Delete::current)) << "gone already";

        ASSERT_TRUE(c.move());
        EXPECT_EQ(db::position(set), c.position_after_move);
        std::vector<std::string> left = stored("people", "name");
        EXPECT_EQ(left.size(), 2u);
        EXPECT_EQ(std::find(left.begin(), left.end(), victim), left.end());
    }
}

TEST_F(RecordSetTest, DeleteAllEmptiesTheTableAndRereadsIt)
{
    for (const char* name : {"a", "b"})
        db_test::exec(connection, "insert into marks (name) values (?)", {name});
    ASSERT_TRUE(db::recordset_open(set, "marks", db::Source::table));
    ASSERT_TRUE(db::recordset_delete(set, db::Delete::all));
    EXPECT_EQ(db::record_count(set), 0);
    EXPECT_EQ(db::position(set), db::Place::after_last);
    EXPECT_TRUE(stored("marks", "name").empty());
    EXPECT_TRUE(stored("people", "name").empty());

    // The set is still on marks: it can be filled again.
    db_test::exec(connection, "insert into marks (name) values ('c')");
    ASSERT_TRUE(db::recordset_delete(set, db::Delete::all));

    const std::vector<std::string> kept = {"d", "e"};
    for (const std::string& name : kept)
        db_test::exec(connection, "insert into marks (name) values (?)", {name});
    ASSERT_TRUE(db::recordset_open(set, "select * from marks", db::Source::sql));
    EXPECT_FALSE(db::recordset_delete(set, db::Delete::all)) << "only a set opened on a table name";
    EXPECT_EQ(stored("marks", "name"), kept);

    // A mode it does not know deletes nothing, on a set that could delete.
    ASSERT_TRUE(db::recordset_open(set, "marks", db::Source::table));
    for (const int unknown : {-1, 2, 3, 7}) {
        SCOPED_TRACE(unknown);
        EXPECT_FALSE(db::recordset_delete(set, static_cast<db::Delete>(unknown)));
        EXPECT_EQ(db::record_count(set), 2);
        EXPECT_EQ(stored("marks", "name"), kept);
    }
}

// ---- finding ----------------------------------------------------------------------------

TEST_F(RecordSetTest, FindById)
{
    add_people({"a", "b", "c"});
    struct Case {
        const char* criterion;
        int start;  // rows moved before the find
        bool found;
        db::Position position;
    };
    const Case cases[] = {
        {"id=2", 0, true, at_row(1)},
        {"id=1", 0, true, at_row(0)},  // the current row counts
        {"ID=3", 0, true, at_row(2)},
        {"id=1", 1, false, db::Place::after_last},  // only forward
        {"id=99", 0, false, db::Place::after_last},
        {"id=-1", 0, false, db::Place::after_last},
        {"id=", 1, false, at_row(1)},  // malformed: nothing moves
        {"id = 2", 1, false, at_row(1)},
        {"id=2 ", 1, false, at_row(1)},
        {"id=2abc", 1, false, at_row(1)},
        {"id=0x2", 1, false, at_row(1)},
        {"id=99999999999999999999", 1, false, at_row(1)},
        {"nosuch=2", 1, false, at_row(1)},
        {"2", 1, false, at_row(1)},
        {"", 1, false, at_row(1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.criterion);
        ASSERT_TRUE(db::recordset_open(set, "people", db::Source::table));
        for (int i = 0; i < c.start; ++i) EXPECT_TRUE(db::recordset_move_next(set));
        EXPECT_EQ(db::recordset_find(set, c.criterion, db::Search::forward), c.found);
        EXPECT_EQ(db::position(set), c.position);
    }
    ASSERT_TRUE(db::recordset_open(set, "people", db::Source::table));
    EXPECT_FALSE(db::recordset_find(set, "id=2", static_cast<db::Search>(-1)));
    EXPECT_EQ(db::position(set), at_row(0));

    // The look-up's save: find, write, update changes that row alone.
    ASSERT_TRUE(db::recordset_find(set, "id=2", db::Search::forward));
    ASSERT_TRUE(db::recordset_write_text(set, "name", "B"));
    ASSERT_TRUE(db::recordset_update(set));
    EXPECT_EQ(stored("people", "name"), (std::vector<std::string>{"a", "B", "c"}));
    // A failed find leaves no row to write into.
    EXPECT_FALSE(db::recordset_find(set, "id=7", db::Search::forward));
    EXPECT_FALSE(db::recordset_write_text(set, "name", "lost"));
    EXPECT_EQ(stored("people", "name"), (std::vector<std::string>{"a", "B", "c"}));
}

// ---- opening ---------------------------------------------------------------------------

TEST_F(RecordSetTest, FailedOpenShowsTheEngineTextOnce)
{
    add_people({"a"});
    struct Case {
        const char* name;
        std::string source;
        db::Source kind;
        std::vector<db::Param> params;
        std::string text;  // part of the message
    };
    const Case cases[] = {
        {"syntax", "selec * from people", db::Source::sql, {}, "syntax error"},
        {"no table", "select * from nosuch", db::Source::sql, {}, "no such table: nosuch"},
        {"table by name", "nosuch", db::Source::table, {}, "no such table: nosuch"},
        {"table name with SQL", "people; drop table people", db::Source::table, {}, "table name"},
        {"second statement",
         "insert into people (name) values ('x'); delete from people",
         db::Source::sql,
         {},
         "after"},
        {"quote in spliced text",
         "insert into marks (name) values ('O'Brien')",
         db::Source::sql,
         {},
         "syntax error"},
        {"too few parameters", "select * from people where name = ?", db::Source::sql, {}, "parameters"},
        {"too many parameters", "select * from people", db::Source::sql, {"a"}, "parameters"},
        {"empty text", "  ", db::Source::sql, {}, "no statement"},
        {"zero byte", std::string("select 1\0; delete from people", 30), db::Source::sql, {}, "zero byte"},
        {"bad kind", "people", static_cast<db::Source>(3), {}, "kind"},
        {"constraint", "insert into people (id, name) values (1, 'dup')", db::Source::sql, {}, "UNIQUE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        log.messages.clear();
        ASSERT_TRUE(db::recordset_open(set, "people", db::Source::table));
        EXPECT_FALSE(db::recordset_open(set, c.source, c.kind, c.params));
        ASSERT_EQ(log.messages.size(), 1u);
        EXPECT_NE(log.messages[0].find(c.text), std::string::npos) << log.messages[0];
        EXPECT_EQ(db::record_count(set), -1) << "the earlier open was closed first";
    }
    EXPECT_EQ(stored("people", "name"), std::vector<std::string>{"a"});
    EXPECT_TRUE(stored("marks", "name").empty());
}

TEST_F(RecordSetTest, StatementWithoutRowsRunsAndLeavesTheSetClosed)
{
    ASSERT_TRUE(db::recordset_open(set, "people", db::Source::table));
    EXPECT_TRUE(db::recordset_open(set, "insert into marks (name) values ('a');  -- done", db::Source::sql));
    EXPECT_EQ(db::record_count(set), -1);
    EXPECT_TRUE(db::recordset_open(set, "select name from marks where name = 'none'", db::Source::sql));
    EXPECT_EQ(db::record_count(set), 0) << "a query without rows is an open, empty set";
    EXPECT_EQ(stored("marks", "name"), std::vector<std::string>{"a"});
    EXPECT_TRUE(log.messages.empty());
}

TEST_F(RecordSetTest, SnapshotDoesNotFollowLaterChanges)
{
    add_people({"a", "b"});
    ASSERT_TRUE(db::recordset_open(set, "people", db::Source::table));
    db_test::exec(connection, "insert into people (name) values ('c')");
    db_test::exec(connection, "update people set name = 'A' where name = 'a'");
    EXPECT_EQ(db::record_count(set), 2);
    EXPECT_EQ(text("name"), "a");
    ASSERT_TRUE(db::recordset_open(set, "people", db::Source::table));
    EXPECT_EQ(db::record_count(set), 3);
    EXPECT_EQ(text("name"), "A");
}

}  // namespace
