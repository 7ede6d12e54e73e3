// The inside of the database layer, shared by the connection and the record
// set: the engine's handles, the state behind the public classes and the
// statement helpers both sides run. db.h has the public side.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/db/db.h"
#include "platform/db/value.h"

namespace db {
namespace detail {

struct HandleCloser {
    void operator()(sqlite3* handle) const { sqlite3_close_v2(handle); }
};
using Handle = std::unique_ptr<sqlite3, HandleCloser>;

struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

struct Column {
    std::string name;
    Kind kind = Kind::dynamic;
};

struct Row {
    long long rowid = 0;
    std::vector<Value> cells;
};

enum class Cursor { before, row, after, added, deleted };

Statement prepare(sqlite3* handle, const std::string& sql);

// SQLite numbers parameters from 1 but columns from 0.
bool bind_value(sqlite3_stmt* statement, int index, const Value& value);

// Runs a statement of this layer's own making; silent, as every failure but
// an open is.
bool run(sqlite3* handle, const std::string& sql, const std::vector<Value>& values);

}  // namespace detail

struct ConnectionState {
    detail::Handle handle;
    std::vector<RecordSet*> sets;
};

struct RecordSetState {
    Connection* connection = nullptr;
    bool open = false;
    Source kind = Source::sql;  // what it was opened on, while open
    std::string table;
    std::vector<detail::Column> columns;
    std::vector<detail::Row> rows;
    detail::Cursor cursor = detail::Cursor::after;
    // Cursor::row: the current row. Cursor::deleted: the index the row after
    // the deleted one now has.
    std::size_t index = 0;
    // Writes not yet saved, one slot per column; for Cursor::added the whole
    // new row.
    std::vector<std::optional<detail::Value>> pending;
    bool dirty = false;
};

struct Access {
    static ConnectionState& of(Connection& c) { return *c.d_; }
    static const ConnectionState& of(const Connection& c) { return *c.d_; }
    static RecordSetState& of(RecordSet& s) { return *s.d_; }
    static const RecordSetState& of(const RecordSet& s) { return *s.d_; }
};

namespace detail {

// Closes the set: no rows, no columns, no pending writes; it stays bound to
// its connection.
void close_set(RecordSetState& s);

}  // namespace detail
}  // namespace db
