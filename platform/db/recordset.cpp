// The record set: opening and filling it, moves, reads, writes and the
// pending saves, deletes and finds.
#include <sqlite3.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "platform/db/criterion.h"
#include "platform/db/db.h"
#include "platform/db/internal.h"
#include "platform/db/value.h"

namespace db {

using detail::bind_value;
using detail::Blob;
using detail::close_set;
using detail::Column;
using detail::Cursor;
using detail::Kind;
using detail::prepare;
using detail::Row;
using detail::run;
using detail::Statement;
using detail::Value;

namespace {

static_assert(static_cast<int>(ResultCode::busy) == SQLITE_BUSY &&
              static_cast<int>(ResultCode::locked) == SQLITE_LOCKED &&
              static_cast<int>(ResultCode::read_only) == SQLITE_READONLY &&
              static_cast<int>(ResultCode::io_error) == SQLITE_IOERR &&
              static_cast<int>(ResultCode::corrupt) == SQLITE_CORRUPT &&
              static_cast<int>(ResultCode::full) == SQLITE_FULL &&
              static_cast<int>(ResultCode::constraint) == SQLITE_CONSTRAINT &&
              static_cast<int>(ResultCode::not_a_database) == SQLITE_NOTADB &&
              static_cast<int>(ResultCode::error) == SQLITE_ERROR);

std::function<void(const Error&)>& presenter()
{
    static std::function<void(const Error&)> instance;
    return instance;
}

void present(const Error& error)
{
    if (const auto& show = presenter()) show(error);
}

// The engine's last error on this connection. Extended codes are cut to
// their primary code, the one callers tell apart.
Error engine_error(sqlite3* handle)
{
    return Error{static_cast<ResultCode>(sqlite3_errcode(handle) & 0xff), sqlite3_errmsg(handle)};
}

Error own_error(const char* text) { return Error{ResultCode::error, text}; }

bool is_identifier(const std::string& name)
{
    if (name.empty() || name.size() > 128) return false;
    const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    if (!letter(name.front())) return false;
    return std::all_of(name.begin(), name.end(), [&](char c) { return letter(c) || (c >= '0' && c <= '9'); });
}

// Names that reach SQL text come from the engine's own column list or passed
// is_identifier; quoting still keeps them from being read as keywords.
std::string quoted(const std::string& name)
{
    std::string out = "\"";
    for (char c : name) {
        out += c;
        if (c == '"') out += '"';
    }
    out += '"';
    return out;
}

bool same_name(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

Value column_value(sqlite3_stmt* statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
        case SQLITE_INTEGER:
            return static_cast<long long>(sqlite3_column_int64(statement, column));
        case SQLITE_FLOAT:
            return sqlite3_column_double(statement, column);
        case SQLITE_TEXT: {
            // Text first, then its length: the length refers to the last
            // conversion asked for.
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
            const int bytes = sqlite3_column_bytes(statement, column);
            return std::string(text ? text : "", static_cast<std::size_t>(bytes));
        }
        case SQLITE_BLOB: {
            const auto* data = static_cast<const char*>(sqlite3_column_blob(statement, column));
            const int bytes = sqlite3_column_bytes(statement, column);
            return Blob{std::string(data ? data : "", data ? static_cast<std::size_t>(bytes) : 0)};
        }
        default:
            return std::monostate{};
    }
}

Value to_value(const Param& param)
{
    return std::visit([](const auto& v) -> Value { return v; }, param);
}

}  // namespace

namespace detail {

void close_set(RecordSetState& s)
{
    s.open = false;
    s.kind = Source::sql;
    s.table.clear();
    s.columns.clear();
    s.rows.clear();
    s.pending.clear();
    s.dirty = false;
    s.cursor = Cursor::after;
    s.index = 0;
}

}  // namespace detail

namespace {

sqlite3* handle_of(const RecordSetState& s)
{
    return s.connection ? Access::of(*s.connection).handle.get() : nullptr;
}

void clear_pending(RecordSetState& s)
{
    s.pending.assign(s.columns.size(), std::nullopt);
    s.dirty = false;
}

std::optional<std::size_t> column_index(const RecordSetState& s, const std::string& field)
{
    for (std::size_t i = 0; i < s.columns.size(); ++i) {
        if (same_name(s.columns[i].name, field)) return i;
    }
    return std::nullopt;
}

// The value a read sees: pending writes win over the snapshot.
const Value* current_value(const RecordSetState& s, std::size_t column)
{
    static const Value kNull;
    if (!s.open) return nullptr;
    if (s.cursor == Cursor::added) return s.pending[column] ? &*s.pending[column] : &kNull;
    if (s.cursor != Cursor::row) return nullptr;
    if (s.pending[column]) return &*s.pending[column];
    return &s.rows[s.index].cells[column];
}

std::optional<Row> read_row(sqlite3* handle, const RecordSetState& s, long long rowid)
{
    Statement statement = prepare(handle, "select _rowid_, * from " + quoted(s.table) + " where _rowid_ = ?");
    if (!statement || sqlite3_bind_int64(statement.get(), 1, rowid) != SQLITE_OK) return std::nullopt;
    if (sqlite3_step(statement.get()) != SQLITE_ROW) return std::nullopt;
    if (sqlite3_column_count(statement.get()) != static_cast<int>(s.columns.size()) + 1) return std::nullopt;
    Row row{rowid, {}};
    for (std::size_t i = 0; i < s.columns.size(); ++i) {
        row.cells.push_back(column_value(statement.get(), static_cast<int>(i + 1)));
    }
    return row;
}

bool insert_new_row(RecordSetState& s, sqlite3* handle)
{
    std::string names;
    std::string marks;
    std::vector<Value> values;
    for (std::size_t i = 0; i < s.columns.size(); ++i) {
        if (!s.pending[i]) continue;
        names += (values.empty() ? "" : ", ") + quoted(s.columns[i].name);
        marks += values.empty() ? "?" : ", ?";
        values.push_back(*s.pending[i]);
    }
    const std::string sql =
        values.empty() ? "insert into " + quoted(s.table) + " default values"
                       : "insert into " + quoted(s.table) + " (" + names + ") values (" + marks + ")";
    if (!run(handle, sql, values)) return false;

    const long long rowid = sqlite3_last_insert_rowid(handle);
    // Re-read so the row carries what the database gave it (id, defaults).
    std::optional<Row> row = read_row(handle, s, rowid);
    if (!row) {
        row = Row{rowid, {}};
        for (auto& slot : s.pending) row->cells.push_back(slot ? *slot : Value{});
    }
    s.rows.push_back(std::move(*row));
    s.cursor = Cursor::row;
    s.index = s.rows.size() - 1;
    clear_pending(s);
    return true;
}

bool update_row(RecordSetState& s, sqlite3* handle)
{
    std::string assignments;
    std::vector<Value> values;
    for (std::size_t i = 0; i < s.columns.size(); ++i) {
        if (!s.pending[i]) continue;
        assignments += (values.empty() ? "" : ", ") + quoted(s.columns[i].name) + " = ?";
        values.push_back(*s.pending[i]);
    }
    Row& row = s.rows[s.index];
    values.emplace_back(row.rowid);
    if (!run(handle, "update " + quoted(s.table) + " set " + assignments + " where _rowid_ = ?", values)) {
        return false;
    }
    // Nothing changed: another connection deleted the row. Not saved.
    if (sqlite3_changes(handle) != 1) return false;

    if (std::optional<Row> fresh = read_row(handle, s, row.rowid)) {
        row = std::move(*fresh);
    } else {
        for (std::size_t i = 0; i < s.columns.size(); ++i) {
            if (s.pending[i]) row.cells[i] = *s.pending[i];
        }
    }
    clear_pending(s);
    return true;
}

// Saves a new row or the writes on the current row. On failure the writes
// stay pending and the set stays where it is.
bool save_pending(RecordSetState& s)
{
    if (s.cursor == Cursor::added) {
        sqlite3* handle = handle_of(s);
        return handle && insert_new_row(s, handle);
    }
    if (s.cursor == Cursor::row && s.dirty) {
        sqlite3* handle = handle_of(s);
        return handle && update_row(s, handle);
    }
    return true;
}

bool write_value(RecordSet& set, const std::string& field, Value value)
{
    RecordSetState& s = Access::of(set);
    if (!s.open || s.kind != Source::table) return false;
    if (s.cursor != Cursor::row && s.cursor != Cursor::added) return false;
    const auto column = column_index(s, field);
    if (!column) return false;
    s.pending[*column] = std::move(value);
    s.dirty = true;
    return true;
}

// Reads a whole result into the set. The statement is finalised before this
// returns, so the set holds no lock on the file.
bool fill(RecordSetState& s, sqlite3_stmt* statement, bool with_rowid)
{
    const int count = sqlite3_column_count(statement);
    const int first = with_rowid ? 1 : 0;
    for (int i = first; i < count; ++i) {
        const char* name = sqlite3_column_name(statement, i);
        const char* declared = sqlite3_column_decltype(statement, i);
        s.columns.push_back(
            Column{name ? name : "", detail::classify_declared_type(declared ? declared : "")});
    }
    for (;;) {
        const int rc = sqlite3_step(statement);
        if (rc == SQLITE_DONE) return true;
        if (rc != SQLITE_ROW) return false;
        Row row;
        if (with_rowid) row.rowid = sqlite3_column_int64(statement, 0);
        row.cells.reserve(s.columns.size());
        for (int i = first; i < count; ++i) row.cells.push_back(column_value(statement, i));
        s.rows.push_back(std::move(row));
    }
}

// True when `tail` holds only blanks and comments. One statement per open:
// text after it is refused, never run.
bool nothing_after(sqlite3* handle, const char* tail)
{
    if (!tail || *tail == '\0') return true;
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v2(handle, tail, -1, &raw, nullptr);
    Statement rest(raw);
    return rc == SQLITE_OK && !rest;
}

// Fills the set from a table or an SQL text; the error on failure. Every
// statement is finalised before this returns.
std::optional<Error> load(RecordSetState& s, const std::string& source, Source kind,
                          const std::vector<Param>& params)
{
    sqlite3* handle = handle_of(s);
    if (!handle) return own_error("The database connection is not open.");

    std::string sql;
    if (kind == Source::table) {
        if (!is_identifier(source)) return own_error("Invalid table name.");
        if (!params.empty()) return own_error("A table cannot take parameters.");
        // The rowid identifies the row for writes and deletes.
        sql = "select _rowid_, * from " + quoted(source);
    } else if (kind == Source::sql) {
        // The engine would stop at a zero byte and drop the rest unseen.
        if (source.find('\0') != std::string::npos) return own_error("The SQL text holds a zero byte.");
        sql = source;
    } else {
        return own_error("Unknown record set kind.");
    }

    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(handle, sql.c_str(), static_cast<int>(sql.size()) + 1, &raw, &tail);
    Statement statement(raw);
    if (rc != SQLITE_OK) return engine_error(handle);
    if (!statement) return own_error("The SQL text holds no statement.");
    if (!nothing_after(handle, tail)) {
        return own_error("Characters found after the end of the SQL statement.");
    }
    if (sqlite3_bind_parameter_count(statement.get()) != static_cast<int>(params.size())) {
        return own_error("The number of parameters does not match the SQL statement.");
    }
    for (std::size_t i = 0; i < params.size(); ++i) {
        if (!bind_value(statement.get(), static_cast<int>(i + 1), to_value(params[i]))) {
            return engine_error(handle);
        }
    }

    if (sqlite3_column_count(statement.get()) == 0) {
        int step = SQLITE_ROW;
        while (step == SQLITE_ROW) step = sqlite3_step(statement.get());
        if (step != SQLITE_DONE) return engine_error(handle);
        return std::nullopt;  // ran; a statement without rows leaves the set closed
    }

    if (!fill(s, statement.get(), kind == Source::table)) {
        Error error = engine_error(handle);
        close_set(s);
        return error;
    }
    s.open = true;
    s.kind = kind;
    if (kind == Source::table) s.table = source;
    clear_pending(s);
    s.cursor = s.rows.empty() ? Cursor::after : Cursor::row;
    s.index = 0;
    return std::nullopt;
}

bool open_set(RecordSetState& s, const std::string& source, Source kind, const std::vector<Param>& params)
{
    close_set(s);
    std::optional<Error> error = load(s, source, kind, params);
    if (!error) return true;
    // Last thing done: the presenter may run a modal loop in which the window
    // that owns this set goes away.
    present(*error);
    return false;
}

void detach(RecordSet& set)
{
    RecordSetState& s = Access::of(set);
    if (!s.connection) return;
    auto& sets = Access::of(*s.connection).sets;
    sets.erase(std::remove(sets.begin(), sets.end(), &set), sets.end());
    s.connection = nullptr;
}

}  // namespace

RecordSet::RecordSet() : d_(std::make_unique<RecordSetState>()) {}

RecordSet::~RecordSet() { detach(*this); }

void set_error_presenter(std::function<void(const Error&)> presenter_fn)
{
    presenter() = std::move(presenter_fn);
}

void recordset_set_connection(RecordSet& set, Connection& connection)
{
    close_set(Access::of(set));
    detach(set);
    Access::of(set).connection = &connection;
    Access::of(connection).sets.push_back(&set);
}

void recordset_close(RecordSet& set) { close_set(Access::of(set)); }

bool recordset_open(RecordSet& set, const std::string& source, Source kind, const std::vector<Param>& params)
{
    return open_set(Access::of(set), source, kind, params);
}

int record_count(const RecordSet& set)
{
    const RecordSetState& s = Access::of(set);
    return s.open ? static_cast<int>(s.rows.size()) : -1;
}

Position position(const RecordSet& set)
{
    const RecordSetState& s = Access::of(set);
    if (!s.open) return {};
    switch (s.cursor) {
        case Cursor::before:
            return Place::before_first;
        case Cursor::after:
            return Place::after_last;
        case Cursor::row:
            return Position::at_row(static_cast<int>(s.index));
        case Cursor::added:
        case Cursor::deleted:
            break;
    }
    return {};
}

bool recordset_move_first(RecordSet& set)
{
    RecordSetState& s = Access::of(set);
    if (!s.open || !save_pending(s)) return false;
    if (s.rows.empty()) return false;
    s.cursor = Cursor::row;
    s.index = 0;
    return true;
}

bool recordset_move_next(RecordSet& set)
{
    RecordSetState& s = Access::of(set);
    if (!s.open || s.cursor == Cursor::after) return false;
    if (!save_pending(s)) return false;
    std::size_t next = 0;
    switch (s.cursor) {
        case Cursor::before:
            next = 0;
            break;
        case Cursor::deleted:
            next = s.index;
            break;
        default:
            next = s.index + 1;
            break;
    }
    if (next < s.rows.size()) {
        s.cursor = Cursor::row;
        s.index = next;
    } else {
        s.cursor = Cursor::after;
    }
    return true;
}

bool recordset_move_previous(RecordSet& set)
{
    RecordSetState& s = Access::of(set);
    if (!s.open || s.cursor == Cursor::before) return false;
    if (s.cursor == Cursor::after && s.rows.empty()) return false;
    if (!save_pending(s)) return false;
    if (s.cursor == Cursor::after) {
        s.cursor = Cursor::row;
        s.index = s.rows.size() - 1;
    } else if (s.index == 0) {
        s.cursor = Cursor::before;
    } else {
        s.cursor = Cursor::row;
        s.index = s.index - 1;
    }
    return true;
}

bool for_each_row(RecordSet& set, const std::function<bool(RecordSet&)>& visit)
{
    // The move past the last row succeeds too, onto no row.
    for (bool moved = recordset_move_first(set); moved && Access::of(set).cursor == Cursor::row;
         moved = recordset_move_next(set)) {
        if (!visit(set)) return false;
    }
    return true;
}

bool find_row(RecordSet& set, const std::function<bool(RecordSet&)>& match)
{
    return !for_each_row(set, [&match](RecordSet& row) { return !match(row); });
}

bool recordset_read_text(RecordSet& set, const std::string& field, std::string& var)
{
    var.clear();
    const RecordSetState& s = Access::of(set);
    const auto column = column_index(s, field);
    const Value* value = column ? current_value(s, *column) : nullptr;
    if (!value) return false;
    std::optional<std::string> text = detail::convert_text(*value, s.columns[*column].kind);
    if (!text) return false;
    var = std::move(*text);
    return true;
}

bool recordset_read_bool(RecordSet& set, const std::string& field, bool& var)
{
    var = false;
    const RecordSetState& s = Access::of(set);
    const auto column = column_index(s, field);
    const Value* value = column ? current_value(s, *column) : nullptr;
    const std::optional<bool> flag = value ? detail::convert_bool(*value) : std::nullopt;
    if (!flag) return false;
    var = *flag;
    return true;
}

bool recordset_read_integer(RecordSet& set, const std::string& field, long long& var)
{
    var = 0;
    const RecordSetState& s = Access::of(set);
    const auto column = column_index(s, field);
    const Value* value = column ? current_value(s, *column) : nullptr;
    const std::optional<long long> number =
        value ? detail::convert_integer(*value, s.columns[*column].kind) : std::nullopt;
    if (!number) return false;
    var = *number;
    return true;
}

bool recordset_read_datetime(RecordSet& set, const std::string& field, DateTime& var)
{
    var = DateTime{};
    const RecordSetState& s = Access::of(set);
    const auto column = column_index(s, field);
    const Value* value = column ? current_value(s, *column) : nullptr;
    const std::optional<DateTime> when = value ? detail::convert_datetime(*value) : std::nullopt;
    if (!when) return false;
    var = *when;
    return true;
}

bool recordset_read_text_at(const RecordSet& set, int row, const std::string& field, std::string& var)
{
    var.clear();
    const RecordSetState& s = Access::of(set);
    if (!s.open || row < 0 || static_cast<std::size_t>(row) >= s.rows.size()) return false;
    const auto column = column_index(s, field);
    if (!column) return false;
    var = detail::value_text(s.rows[static_cast<std::size_t>(row)].cells[*column], s.columns[*column].kind);
    return true;
}

bool recordset_write_text(RecordSet& set, const std::string& field, const std::string& value)
{
    if (value.empty()) return write_value(set, field, std::monostate{});
    return write_value(set, field, value);
}

bool recordset_write_integer(RecordSet& set, const std::string& field, long long value)
{
    return write_value(set, field, value);
}

bool recordset_add_new(RecordSet& set)
{
    RecordSetState& s = Access::of(set);
    if (!s.open || s.kind != Source::table || !save_pending(s)) return false;
    clear_pending(s);
    s.cursor = Cursor::added;
    return true;
}

bool recordset_update(RecordSet& set)
{
    RecordSetState& s = Access::of(set);
    if (!s.open || s.kind != Source::table) return false;
    if (s.cursor != Cursor::row && s.cursor != Cursor::added) return false;
    return save_pending(s);
}

bool recordset_has_pending_write(const RecordSet& set)
{
    const RecordSetState& s = Access::of(set);
    return s.open && (s.cursor == Cursor::added || (s.cursor == Cursor::row && s.dirty));
}

bool recordset_delete(RecordSet& set, Delete mode)
{
    RecordSetState& s = Access::of(set);
    if (!s.open || s.kind != Source::table) return false;
    sqlite3* handle = handle_of(s);
    if (!handle) return false;

    if (mode == Delete::current) {
        if (s.cursor == Cursor::added) {
            // A row never saved: dropping it is its whole deletion.
            clear_pending(s);
            s.cursor = Cursor::deleted;
            s.index = s.rows.size();
            return true;
        }
        if (s.cursor != Cursor::row) return false;
        if (!run(handle, "delete from " + quoted(s.table) + " where _rowid_ = ?", {s.rows[s.index].rowid})) {
            return false;
        }
        s.rows.erase(s.rows.begin() + static_cast<std::ptrdiff_t>(s.index));
        clear_pending(s);
        s.cursor = Cursor::deleted;
        return true;
    }

    if (mode == Delete::all) {
        const std::string table = s.table;
        if (!run(handle, "delete from " + quoted(table), {})) return false;
        return open_set(s, table, Source::table, {}) && s.rows.empty();
    }
    // A mode cast from a number that names none of them.
    return false;
}

bool recordset_find(RecordSet& set, const std::string& criterion, Search direction)
{
    RecordSetState& s = Access::of(set);
    if (!s.open || direction != Search::forward) return false;
    const auto parsed = detail::parse_criterion(criterion);
    const auto column = parsed ? column_index(s, parsed->field) : std::nullopt;
    if (!column || !save_pending(s)) return false;

    std::size_t start = s.rows.size();
    if (s.cursor == Cursor::row || s.cursor == Cursor::deleted) start = s.index;
    if (s.cursor == Cursor::before) start = 0;
    for (std::size_t i = start; i < s.rows.size(); ++i) {
        if (detail::cell_equals(s.rows[i].cells[*column], parsed->number)) {
            s.cursor = Cursor::row;
            s.index = i;
            return true;
        }
    }
    s.cursor = Cursor::after;
    return false;
}

}  // namespace db
