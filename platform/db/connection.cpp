// The connection: opening a file with its key, closing it, transactions, the
// busy timeout, scripts and the creation of a new keyed database. Also the
// statement helpers that the record set shares.
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/db/db.h"
#include "platform/db/internal.h"
#include "platform/db/keys.h"
#include "platform/db/testing.h"
#include "platform/db/value.h"

namespace db {

using detail::Blob;
using detail::close_set;
using detail::Handle;
using detail::Statement;
using detail::Value;

namespace detail {

// SQLite numbers parameters from 1 but columns from 0.
bool bind_value(sqlite3_stmt* statement, int index, const Value& value)
{
    int rc = SQLITE_OK;
    if (const auto* integer = std::get_if<long long>(&value)) {
        rc = sqlite3_bind_int64(statement, index, *integer);
    } else if (const auto* real = std::get_if<double>(&value)) {
        rc = sqlite3_bind_double(statement, index, *real);
    } else if (const auto* text = std::get_if<std::string>(&value)) {
        rc = sqlite3_bind_text64(statement, index, text->data(), text->size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    } else if (const auto* blob = std::get_if<Blob>(&value)) {
        rc = sqlite3_bind_blob64(statement, index, blob->bytes.data(), blob->bytes.size(), SQLITE_TRANSIENT);
    } else {
        rc = sqlite3_bind_null(statement, index);
    }
    return rc == SQLITE_OK;
}

Statement prepare(sqlite3* handle, const std::string& sql)
{
    sqlite3_stmt* raw = nullptr;
    sqlite3_prepare_v2(handle, sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr);
    return Statement(raw);
}

// Runs a statement of this layer's own making; silent, as every failure but
// an open is.
bool run(sqlite3* handle, const std::string& sql, const std::vector<Value>& values)
{
    Statement statement = prepare(handle, sql);
    if (!statement) return false;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!bind_value(statement.get(), static_cast<int>(i + 1), values[i])) return false;
    }
    int rc = SQLITE_ROW;
    while (rc == SQLITE_ROW) rc = sqlite3_step(statement.get());
    return rc == SQLITE_DONE;
}

}  // namespace detail

namespace {

using detail::prepare;
using detail::run;

constexpr int kBusyTimeoutMs = 5000;
std::atomic<int> busy_timeout_ms{kBusyTimeoutMs};

bool has_result_row(sqlite3* handle, const char* sql, long long* first_value = nullptr)
{
    Statement statement = prepare(handle, sql);
    if (!statement || sqlite3_step(statement.get()) != SQLITE_ROW) return false;
    if (first_value) *first_value = sqlite3_column_int64(statement.get(), 0);
    return true;
}

// The engine opens whatever the name leads to, with a blocking open: a FIFO
// or a device is no database, and opening some devices waits (a serial line
// for its carrier).
bool is_regular_file(const std::string& file)
{
    struct stat status {};
    return ::stat(file.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// A handle, or the engine's primary result saying why there is none.
struct Opened {
    Handle handle;
    int result = SQLITE_ERROR;
};

// Opens an existing file with `key`, a passphrase or a raw key; `allow_empty`
// only for a file that this layer has just created to build a new database in.
Opened open_keyed(const std::string& file, const std::string& key, bool allow_empty)
{
    if (!is_regular_file(file)) return {};
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    Opened opened{Handle(raw), rc};
    sqlite3* handle = opened.handle.get();
    const auto fail = [&](int result) {
        opened.handle.reset();
        opened.result = result;
        return std::move(opened);
    };
    if (rc != SQLITE_OK || !handle) return fail(rc);
    if (!key.empty() && sqlite3_key(handle, key.data(), static_cast<int>(key.size())) != SQLITE_OK) {
        return fail(SQLITE_ERROR);
    }
    sqlite3_busy_timeout(handle, busy_timeout_ms.load());
    // The key is only checked when the first page is read.
    if (!has_result_row(handle, "select count(*) from sqlite_master")) {
        return fail(sqlite3_errcode(handle) & 0xff);
    }
    // The engine quietly falls back to read-only for a write-protected file;
    // every window writes and few check the result, so refuse here where the
    // user is told the connection failed.
    if (sqlite3_db_readonly(handle, "main") != 0) return fail(SQLITE_READONLY);
    if (!allow_empty) {
        // An empty file passes any key and holds no tables.
        long long pages = 0;
        if (!has_result_row(handle, "pragma page_count", &pages) || pages <= 0) return fail(SQLITE_EMPTY);
    }
    return opened;
}

Handle open_file(const std::string& file, const std::string& password, bool allow_empty)
{
    if (file.empty() || file.find('\0') != std::string::npos) return nullptr;
    // A new, empty file has no salt yet; the library makes one.
    if (!password.empty() && !allow_empty) {
        const detail::RawKey key = detail::raw_key_for(file, password);
        if (!key.empty()) {
            Opened opened = open_keyed(file, key.text(), false);
            if (opened.handle) {
                detail::count_raw_key_open();
                return std::move(opened.handle);
            }
            // Only a key the file refuses is worth trying the password for. A
            // file that another program holds would make the connection wait
            // out the busy timeout a second time, for the same answer.
            if (opened.result != SQLITE_NOTADB) return nullptr;
        }
    }
    return open_keyed(file, password, allow_empty).handle;
}

}  // namespace

Connection::Connection() : d_(std::make_unique<ConnectionState>()) {}

Connection::~Connection()
{
    db_close(*this);
    for (RecordSet* set : d_->sets) Access::of(*set).connection = nullptr;
}

bool Connection::is_open() const { return d_->handle != nullptr; }

bool db_connect_access(Connection& connection, const std::string& file, const std::string& password)
{
    db_close(connection);
    Handle handle = open_file(file, password, false);
    if (!handle) return false;
    Access::of(connection).handle = std::move(handle);
    return true;
}

void derive_key(const std::string& file, const std::string& password)
{
    // Opening the file once with the key checks it, and readies the library
    // too: the first connection of a process costs a few milliseconds more
    // than later ones. Whoever waits for this then finds both done.
    const detail::RawKey key = detail::raw_key_for(file, password);
    if (!key.empty()) (void)open_keyed(file, key.text(), false);
}

void db_close(Connection& connection)
{
    ConnectionState& c = Access::of(connection);
    // Sets stay bound, so a window can reconnect and open them again.
    for (RecordSet* set : c.sets) close_set(Access::of(*set));
    c.handle.reset();
}

void set_busy_timeout(Connection& connection, int milliseconds)
{
    if (sqlite3* handle = Access::of(connection).handle.get()) sqlite3_busy_timeout(handle, milliseconds);
}

void set_connect_busy_timeout(int milliseconds)
{
    busy_timeout_ms = milliseconds < 0 ? kBusyTimeoutMs : milliseconds;
}

// ---- transactions ---------------------------------------------------------------

// A transaction keeps every page it changes in memory until the commit. Left
// to itself, the engine writes some of them to the file early once its page
// cache is full, and that needs the file to itself: behind another program
// that only reads, each such write waits out the busy timeout and then goes
// on, so a large transaction would wait once per page, for hours. This way
// only the commit waits, once. Outside a transaction, early writes are the
// engine's choice again.
namespace {

void allow_early_writes_once_ended(sqlite3* handle)
{
    if (sqlite3_get_autocommit(handle)) (void)run(handle, "pragma cache_spill = on", {});
}

}  // namespace

bool begin_transaction(Connection& connection)
{
    sqlite3* handle = Access::of(connection).handle.get();
    if (!handle || !run(handle, "pragma cache_spill = off", {})) return false;
    if (run(handle, "begin immediate", {})) return true;
    allow_early_writes_once_ended(handle);
    return false;
}

bool commit_transaction(Connection& connection)
{
    sqlite3* handle = Access::of(connection).handle.get();
    if (!handle) return false;
    const bool committed = run(handle, "commit", {});
    allow_early_writes_once_ended(handle);
    return committed;
}

bool rollback_transaction(Connection& connection)
{
    sqlite3* handle = Access::of(connection).handle.get();
    if (!handle) return true;
    // The engine's own state says whether it worked.
    if (!sqlite3_get_autocommit(handle)) (void)run(handle, "rollback", {});
    allow_early_writes_once_ended(handle);
    return sqlite3_get_autocommit(handle) != 0;
}

bool in_transaction(const Connection& connection)
{
    sqlite3* handle = Access::of(connection).handle.get();
    return handle && !sqlite3_get_autocommit(handle);
}

// ---- creating a database ------------------------------------------------------

namespace {

bool run_in_transaction(sqlite3* handle, const std::string& statements, std::string* error)
{
    // The empty statement after the caller's last one is harmless, and spares
    // the caller a rule about the final semicolon.
    const std::string script = "begin;" + statements + ";commit;";
    if (sqlite3_exec(handle, script.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK) return true;
    if (error) *error = sqlite3_errmsg(handle);
    // All of it or none.
    if (!sqlite3_get_autocommit(handle)) sqlite3_exec(handle, "rollback", nullptr, nullptr, nullptr);
    return false;
}

}  // namespace

bool run_script(Connection& connection, const std::string& statements)
{
    sqlite3* handle = Access::of(connection).handle.get();
    // The script's own begin would fail inside the caller's transaction, and
    // its rollback would then drop what the caller wrote before.
    return handle && sqlite3_get_autocommit(handle) && run_in_transaction(handle, statements, nullptr);
}

bool create_keyed_database(const std::string& file, const std::string& password,
                           const std::string& statements, std::string* error)
{
    const auto fail = [&](const std::string& text) {
        if (error) *error = text;
        return false;
    };
    if (file.empty() || file.find('\0') != std::string::npos) return fail("Invalid file name.");

    // O_EXCL: an existing database is never touched, even one that appears
    // between a check and the creation.
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        return fail(errno == EEXIST ? "The file exists already: " + file
                                    : "Cannot create " + file + ": " + std::strerror(errno));
    }
    ::close(fd);

    std::string reason;
    {
        Handle handle = open_file(file, password, true);
        if (!handle) {
            reason = "Cannot open the new database file.";
        } else {
            run_in_transaction(handle.get(), statements, &reason);
        }
    }
    if (!reason.empty()) {
        ::unlink(file.c_str());
        return fail(reason);
    }
    return true;
}

}  // namespace db
