// Any stored value in a column of any declared type, read as text, logical,
// integer and date-time: no read may crash or reach undefined behaviour, and
// what the reads give must agree with each other.
//
// Input: one byte picks the declared type (a known one, or the bytes that
// follow when it is past the list), one byte the storage class, the rest is
// the value (8 bytes of an integer or of a real's bits, or the text / blob).
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "platform/db/value.h"

namespace {

using db::detail::Kind;
using db::detail::Value;

void require(bool condition)
{
    if (!condition) std::abort();
}

// One or more spellings of every kind a declared type can make.
constexpr const char* kDeclaredTypes[] = {
    "",        "INTEGER",       "int",     "BIGINT",   "COUNTER",  "SINGLE",      "FLOAT", "DOUBLE",
    "REAL",    "DECIMAL(10,2)", "NUMERIC", "CURRENCY", "MONEY",    "DATETIME",    "date",  "TIME",
    "BOOLEAN", "YESNO",         "LOGICAL", "BIT",      "TEXT",     "VARCHAR(20)", "CHAR",  "MEMO",
    "CLOB",    "BLOB",          "BINARY",  "IMAGE",    "GEOMETRY",
};
constexpr std::size_t kKnownTypes = std::size(kDeclaredTypes);

template <typename T>
T take_bits(std::string_view& bytes)
{
    T out{};
    char raw[sizeof(T)] = {};
    const std::size_t n = bytes.size() < sizeof(T) ? bytes.size() : sizeof(T);
    std::memcpy(raw, bytes.data(), n);
    std::memcpy(&out, raw, sizeof(T));
    bytes.remove_prefix(n);
    return out;
}

Value make_value(unsigned char storage, std::string_view bytes)
{
    switch (storage % 5) {
        case 0:
            return std::monostate{};
        case 1:
            return take_bits<long long>(bytes);
        case 2:
            return take_bits<double>(bytes);
        case 3:
            return std::string(bytes);
        default:
            return db::detail::Blob{std::string(bytes)};
    }
}

void check_datetime(const db::DateTime& when)
{
    const std::string text = db::detail::format_datetime(when);
    require(text.size() == 19);
    const auto again = db::detail::parse_datetime(text);
    require(again && *again == when);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    if (size < 2) return 0;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto choice = static_cast<unsigned char>(bytes[0]);
    const auto storage = static_cast<unsigned char>(bytes[1]);
    bytes.remove_prefix(2);

    std::string declared;
    if (choice < kKnownTypes) {
        declared = kDeclaredTypes[choice];
    } else {
        // A declared type of the file's own: up to 32 bytes of the input.
        const std::size_t n = std::min<std::size_t>(bytes.size(), choice % 33);
        declared.assign(bytes.substr(0, n));
        bytes.remove_prefix(n);
    }
    const Kind kind = db::detail::classify_declared_type(declared);
    const Value value = make_value(storage, bytes);

    const auto text = db::detail::convert_text(value, kind);
    require(db::detail::value_text(value, kind) == text.value_or(std::string()));
    const auto flag = db::detail::convert_bool(value);
    const auto number = db::detail::convert_integer(value, kind);
    const auto when = db::detail::convert_datetime(value);

    if (std::holds_alternative<std::monostate>(value)) {
        require(text && text->empty() && flag == false && !number && when == db::DateTime{});
    }
    require(flag.has_value() != std::holds_alternative<db::detail::Blob>(value));

    if (const auto* real = std::get_if<double>(&value)) {
        // Only a real whose truncation fits a long long has an integer reading.
        const bool fits = std::isfinite(*real) && std::trunc(*real) >= -9223372036854775808.0 &&
                          std::trunc(*real) < 9223372036854775808.0;
        require(db::detail::integer_of(*real).has_value() == fits);
        if (kind == Kind::integer) {
            require(number.has_value() == fits);
            require(text.has_value() == fits);
            if (fits) {
                require(static_cast<double>(*number) == std::trunc(*real));
                char expected[32];
                std::snprintf(expected, sizeof expected, "%lld", *number);
                require(*text == expected);
            }
        } else {
            require(!number);
        }
    }
    if (const auto* integer = std::get_if<long long>(&value)) {
        require(number.has_value() == (kind == Kind::integer || kind == Kind::dynamic));
        if (number) require(*number == *integer);
    }

    if (when) check_datetime(*when);
    if (const auto* stored = std::get_if<std::string>(&value)) {
        const auto parsed = db::detail::parse_datetime(*stored);
        require(parsed == when);
        // A date-time column shows a date as the engine's form, anything else as stored.
        if (kind == Kind::datetime) {
            require(text == (parsed ? db::detail::format_datetime(*parsed) : *stored));
        }
    }
    return 0;
}
