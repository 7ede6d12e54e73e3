// Field values as a record set keeps them, and their conversion to the text
// and numbers that the handlers read. Internal to the database layer.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "platform/db/db.h"

namespace db::detail {

struct Blob {
    std::string bytes;
    bool operator==(const Blob&) const = default;
};

// SQLite's storage classes: NULL, INTEGER, REAL, TEXT, BLOB.
using Value = std::variant<std::monostate, long long, double, std::string, Blob>;

// What a column's declared type makes of it. SQLite stores any value in any
// column, so the declared type (not the stored class) decides how a value is
// shown, as the handlers expect from typed columns. `dynamic` is a column
// without a declared type (an expression in an SQL text): the stored class
// decides.
enum class Kind { dynamic, integer, single, real, datetime, logical, text, blob, unknown };

Kind classify_declared_type(std::string_view declared);

// The text a read gives for a value of a column of `kind`; nullopt when the
// value has no text in that kind (a real in an integer column that no 64-bit
// integer holds: infinite, NaN or beyond the range).
std::optional<std::string> convert_text(const Value& value, Kind kind);
// As convert_text, with the empty text where that fails.
std::string value_text(const Value& value, Kind kind);

// The other reads: nullopt where the value has no such meaning. NULL reads as
// false and as the zero date-time, but as no integer.
std::optional<bool> convert_bool(const Value& value);
std::optional<long long> convert_integer(const Value& value, Kind kind);
std::optional<DateTime> convert_datetime(const Value& value);

// A real cut towards zero, as a cast would; nullopt where the cast would be
// undefined because no 64-bit integer holds the result.
std::optional<long long> integer_of(double real);

// Accepts "YYYY-MM-DD", optionally followed by " HH:MM", " HH:MM:SS" or
// " HH:MM:SS.fff" (a "T" may stand for the blank), as SQLite's date functions
// write them.
std::optional<DateTime> parse_datetime(std::string_view text);
std::string format_datetime(const DateTime& value);

}  // namespace db::detail
