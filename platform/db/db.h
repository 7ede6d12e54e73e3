// The database layer: one encrypted SQLite file reached through a connection
// and record sets that behave like the static, client-side record sets the
// window handlers were written against.
//
// A record set is a snapshot. Opening it reads every row into memory and
// finalises the statement, so no read lock outlives the call and any number
// of connections to the same file (one per window) never block each other;
// writes go straight to the file, identified by rowid, and wait up to five
// seconds for another connection's write to finish.
//
// Errors are values. Only opening a record set reports an error to the user,
// through the presenter hook; every other failure is a quiet `false`.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace db {

// What recordset_open's `source` is.
enum class Source {
    sql,    // one SQL statement
    table,  // a table name: the set can then be written and deleted from
};

// What recordset_delete deletes.
enum class Delete {
    current,  // the current row
    all,      // every row of the table
};

// Which way recordset_find searches.
enum class Search {
    forward,  // from the current row towards the last
};

// Where a record set stands.
enum class Place {
    on_row,        // on a row: Position::row says which
    none,          // no position: the set is not open, the current row is a new
                   // row not saved yet, or the current row has just been deleted
    before_first,  // before the first row
    after_last,    // after the last row; an empty set stands here, so a loop
                   // that tests for "after the last row" ends at once
};

// Where a set stands: `position(set) == Place::after_last` asks for a place,
// `position(set).row == 0` for the first row.
struct Position {
    constexpr Position() = default;
    // Not explicit: a place off the rows reads as the position it is.
    constexpr Position(Place off_row) : place(off_row) {}
    static constexpr Position at_row(int row)
    {
        Position on;
        on.place = Place::on_row;
        on.row = row;
        return on;
    }
    bool operator==(const Position&) const = default;

    Place place = Place::none;
    std::optional<int> row;  // counted from 0; only on a row
};

// A bound parameter of an SQL text: NULL, integer, real or UTF-8 text.
using Param = std::variant<std::monostate, long long, double, std::string>;

// Calendar fields of a date-time value. The defaults are the zero date-time
// that a NULL field reads as.
struct DateTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool operator==(const DateTime&) const = default;
};

class RecordSet;
struct ConnectionState;
struct RecordSetState;

class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    [[nodiscard]] bool is_open() const;

private:
    friend struct Access;
    std::unique_ptr<ConnectionState> d_;
};

// A record set refers to its connection without owning it. Closing the
// connection closes every set bound to it; destroying the connection also
// unbinds them, so a set never reaches a connection that is gone.
class RecordSet {
public:
    RecordSet();
    ~RecordSet();
    RecordSet(const RecordSet&) = delete;
    RecordSet& operator=(const RecordSet&) = delete;

private:
    friend struct Access;
    std::unique_ptr<RecordSetState> d_;
};

// The engine's primary result codes, numbered as SQLite numbers them. An
// error carries the primary code only; codes not named here pass through by
// their number.
enum class ResultCode : int {
    ok = 0,
    error = 1,  // also every refusal of this layer's own (no connection, a bad table name)
    busy = 5,
    locked = 6,
    read_only = 8,
    io_error = 10,
    corrupt = 11,
    full = 13,
    constraint = 19,
    not_a_database = 26,
};

// What the presenter is given: the engine's result code and its own text
// (English), or this layer's text for a refusal of its own.
struct Error {
    ResultCode code = ResultCode::error;
    std::string text;
};

// The program installs a presenter that tells the user; this layer has no
// words of its own for them. Without one, errors are only reported through
// the results.
void set_error_presenter(std::function<void(const Error&)> presenter);

// Closes an open connection, then opens an existing file for reading and
// writing (a missing file is never created) and keys it with the password's
// bytes when the password is not empty. False without a message when the file
// is missing, empty, not a database, not writable, or the key is wrong.
//
// The key of a keyed file is derived from the password once per run: the first
// connection to a file derives it (SQLCipher's 64,000 rounds of PBKDF2) and
// keeps it in memory by file, salt and password; later connections give
// SQLCipher that key in its raw form and derive nothing. When the file refuses
// the raw key as a wrong key, the password is tried the usual way, so what
// opens and what fails is what the library decides: a file rekeyed meanwhile
// fails with the old password as before. A file that another connection holds
// fails once the busy timeout (five seconds) has passed; anything but a
// regular file (a FIFO, a device, a folder), also behind a link, fails at once.
[[nodiscard]] bool db_connect_access(Connection& connection, const std::string& file,
                                     const std::string& password);
void db_close(Connection& connection);

// Transactions. While one is open, the writes and reads of every set bound to
// the connection belong to it, and nothing is on the file until the commit;
// closing the connection drops an open transaction. Silent, like every
// failure but an open.
// Starts a transaction that holds the right to write from the start, so
// another writer is met here (after the busy timeout) and not halfway; another
// program that reads is met at the commit, once.
[[nodiscard]] bool begin_transaction(Connection& connection);
// On failure the transaction may still be open: roll it back (or try again).
[[nodiscard]] bool commit_transaction(Connection& connection);
// Drops what the transaction wrote. True when no transaction is left open,
// also when none was.
[[nodiscard]] bool rollback_transaction(Connection& connection);
// False once a failure has ended the transaction on the engine's side (a
// full disk, an I/O error): later writes would then be saved one by one.
[[nodiscard]] bool in_transaction(const Connection& connection);

// Derives and keeps the key of the keyed file under the password as the first
// connection would, and opens the file with it once: for a thread of its own
// at start-up, so that the first connection finds the key ready or waits only
// for the rest of it. Blocks meanwhile; any thread. Does nothing for an empty
// password or a file that cannot be read.
void derive_key(const std::string& file, const std::string& password);

// Wipes and drops every key kept (the exit clean-up). A key still being
// derived is dropped when it is done.
void forget_derived_keys();

// Binds a set to a connection; a set that is open is closed first.
void recordset_set_connection(RecordSet& set, Connection& connection);
void recordset_close(RecordSet& set);

// Source::table: `source` is a table name (a plain identifier; the set can
// then be written and deleted from). Source::sql: `source` is one SQL
// statement whose `?` placeholders take `params` in order. A statement without
// result columns runs and leaves the set closed. An open set is closed first.
// On failure the presenter gets the engine's text and the set stays closed.
[[nodiscard]] bool recordset_open(RecordSet& set, const std::string& source, Source kind,
                                  const std::vector<Param>& params = {});

[[nodiscard]] int record_count(const RecordSet& set);  // -1 when the set is not open
[[nodiscard]] Position position(const RecordSet& set);

// A move first saves pending writes of the current row; if that fails, or the
// move is not possible, nothing changes and the result is false.
[[nodiscard]] bool recordset_move_first(RecordSet& set);
[[nodiscard]] bool recordset_move_next(RecordSet& set);
[[nodiscard]] bool recordset_move_previous(RecordSet& set);

// Walks the set from its first row to its last: moves to the first row and
// calls `visit` with the set standing on each row in turn, until `visit`
// returns false (the set then stays on that row) or the walk passes the last
// row (the set then stands after it). A closed or empty set has no row to
// visit; a move refused because a write pending on the current row cannot be
// saved ends the walk there. `visit` reads the row and does not move the set;
// it returns false as soon as the set may be gone (a box it showed let its
// window close), and the walk then touches the set no more. True when the walk
// was not stopped.
bool for_each_row(RecordSet& set, const std::function<bool(RecordSet&)>& visit);
// Walks the set as for_each_row does and stops on the first row for which
// `match` holds. False, and the set after its last row, when no row does.
[[nodiscard]] bool find_row(RecordSet& set, const std::function<bool(RecordSet&)>& match);

// Field names are matched without regard to ASCII case. Without a current
// row `var` becomes empty and the result is false.
[[nodiscard]] bool recordset_read_text(RecordSet& set, const std::string& field, std::string& var);
[[nodiscard]] bool recordset_read_bool(RecordSet& set, const std::string& field, bool& var);
[[nodiscard]] bool recordset_read_integer(RecordSet& set, const std::string& field, long long& var);
[[nodiscard]] bool recordset_read_datetime(RecordSet& set, const std::string& field, DateTime& var);

// Reads a field of row `row` (counted from 0 in the set's order) as text, as
// recordset_read_text would, without moving the current row: a view can show
// any row of the snapshot when it needs it. Writes still pending on the
// current row are not seen. False with `var` empty when the set is not open,
// the row is out of range or there is no such field.
[[nodiscard]] bool recordset_read_text_at(const RecordSet& set, int row, const std::string& field,
                                          std::string& var);

// Writes are kept with the current row until recordset_update or a move off
// the row saves them. Only sets opened on a table accept writes.
[[nodiscard]] bool recordset_write_text(RecordSet& set, const std::string& field, const std::string& value);
[[nodiscard]] bool recordset_write_integer(RecordSet& set, const std::string& field, long long value);
[[nodiscard]] bool recordset_add_new(RecordSet& set);
[[nodiscard]] bool recordset_update(RecordSet& set);
// Whether recordset_update has something to save: writes on the current row
// or a new row that no move or update has saved yet (a failed save leaves
// them pending).
[[nodiscard]] bool recordset_has_pending_write(const RecordSet& set);

// Delete::current deletes the current row (the set then stands at
// Place::none until the next move, which goes on from where the row stood);
// Delete::all empties the table and re-reads it, true when the set is then
// empty. A delete that fails, or a mode that is neither (a number cast to
// Delete), changes nothing: the set keeps its rows and its place.
[[nodiscard]] bool recordset_delete(RecordSet& set, Delete mode);

// criterion: "<field>=<integer>", e.g. "id=42". Searches from the current row
// on; a match becomes current, otherwise the set ends after its last row.
[[nodiscard]] bool recordset_find(RecordSet& set, const std::string& criterion, Search direction);

// Creates a new keyed database file and runs `statements` (several, separated
// by ";"; fixed text such as the tables of a new database, never text built
// from input) in it in one transaction. Refuses a file that exists. On failure
// nothing is left behind and `error` (if given) says why.
[[nodiscard]] bool create_keyed_database(const std::string& file, const std::string& password,
                                         const std::string& statements, std::string* error);

}  // namespace db
