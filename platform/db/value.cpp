#include "platform/db/value.h"

#include <array>
#include <cstdio>
#include <cstdlib>

namespace db::detail {
namespace {

std::string upper_ascii(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

bool contains_any(const std::string& text, std::initializer_list<std::string_view> words)
{
    for (std::string_view word : words) {
        if (text.find(word) != std::string::npos) return true;
    }
    return false;
}

std::string printf_text(const char* format, auto value)
{
    std::array<char, 64> buffer{};
    const int n = std::snprintf(buffer.data(), buffer.size(), format, value);
    if (n < 0) return {};
    if (static_cast<std::size_t>(n) < buffer.size())
        return std::string(buffer.data(), static_cast<std::size_t>(n));
    // Huge reals in fixed notation run past the buffer.
    std::string big(static_cast<std::size_t>(n) + 1, '\0');
    std::snprintf(big.data(), big.size(), format, value);
    big.resize(static_cast<std::size_t>(n));
    return big;
}

std::string number_text(long long value) { return printf_text("%lld", value); }

std::string number_text(double value) { return printf_text("%.8f", value); }

// Reads exactly `width` decimal digits.
bool read_digits(std::string_view text, std::size_t at, std::size_t width, int& out)
{
    if (at + width > text.size()) return false;
    int value = 0;
    for (std::size_t i = at; i < at + width; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    out = value;
    return true;
}

int days_in_month(int year, int month)
{
    static constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

}  // namespace

Kind classify_declared_type(std::string_view declared)
{
    if (declared.empty()) return Kind::dynamic;
    const std::string type = upper_ascii(declared);
    // Order matters: "DATETIME" must not fall to the integer rule, "BOOLEAN"
    // must not fall to anything else.
    if (contains_any(type, {"BOOL", "YESNO", "LOGICAL"}) || type == "BIT") return Kind::logical;
    if (contains_any(type, {"DATE", "TIME"})) return Kind::datetime;
    if (contains_any(type, {"INT", "COUNTER"})) return Kind::integer;
    if (contains_any(type, {"CHAR", "TEXT", "CLOB", "MEMO"})) return Kind::text;
    if (contains_any(type, {"BLOB", "BINARY", "IMAGE"})) return Kind::blob;
    if (contains_any(type, {"FLOAT", "SINGLE"})) return Kind::single;
    if (contains_any(type, {"DOUBLE", "REAL", "DECIMAL", "NUMERIC", "CURRENCY", "MONEY"})) return Kind::real;
    return Kind::unknown;
}

std::optional<long long> integer_of(double real)
{
    // 2^63 is exact as a double; every finite double below it and at or above
    // -2^63 truncates to a value a long long holds. NaN fails both tests.
    constexpr double kLimit = 9223372036854775808.0;
    if (!(real >= -kLimit && real < kLimit)) return std::nullopt;
    return static_cast<long long>(real);
}

std::optional<std::string> convert_text(const Value& value, Kind kind)
{
    if (std::holds_alternative<std::monostate>(value)) return std::string();
    if (kind == Kind::unknown) return "UN_KNOW";
    if (kind == Kind::blob || std::holds_alternative<Blob>(value)) return "[BLOB]";

    if (const auto* text = std::get_if<std::string>(&value)) {
        if (kind == Kind::datetime) {
            if (auto parsed = parse_datetime(*text)) return format_datetime(*parsed);
        }
        // A text that sits in a numeric column is shown as stored rather than
        // as the zero SQLite would turn it into.
        return *text;
    }

    if (const auto* integer = std::get_if<long long>(&value)) {
        switch (kind) {
            case Kind::logical:
                return *integer != 0 ? "TRUE" : "FALSE";
            case Kind::single:
                return printf_text("%.4f", static_cast<double>(*integer));
            case Kind::real:
                return printf_text("%.8f", static_cast<double>(*integer));
            default:
                return number_text(*integer);
        }
    }

    const double real = std::get<double>(value);
    switch (kind) {
        case Kind::logical:
            return real != 0.0 ? "TRUE" : "FALSE";
        case Kind::integer: {
            const std::optional<long long> integer = integer_of(real);
            if (!integer) return std::nullopt;
            return number_text(*integer);
        }
        case Kind::single:
            return printf_text("%.4f", real);
        default:
            return number_text(real);
    }
}

std::string value_text(const Value& value, Kind kind)
{
    return convert_text(value, kind).value_or(std::string());
}

std::optional<bool> convert_bool(const Value& value)
{
    if (std::holds_alternative<Blob>(value)) return std::nullopt;
    if (const auto* integer = std::get_if<long long>(&value)) return *integer != 0;
    if (const auto* real = std::get_if<double>(&value)) return *real != 0.0;
    if (const auto* text = std::get_if<std::string>(&value)) {
        // As the engine reads a text as a number: its leading number, else 0.
        return std::strtod(text->c_str(), nullptr) != 0.0;
    }
    return false;
}

std::optional<long long> convert_integer(const Value& value, Kind kind)
{
    if (kind != Kind::integer && kind != Kind::dynamic) return std::nullopt;
    if (const auto* integer = std::get_if<long long>(&value)) return *integer;
    if (const auto* real = std::get_if<double>(&value); real && kind == Kind::integer)
        return integer_of(*real);
    return std::nullopt;
}

std::optional<DateTime> convert_datetime(const Value& value)
{
    if (std::holds_alternative<std::monostate>(value)) return DateTime{};  // NULL is the zero date-time
    const auto* text = std::get_if<std::string>(&value);
    if (!text) return std::nullopt;
    return parse_datetime(*text);
}

std::optional<DateTime> parse_datetime(std::string_view text)
{
    DateTime out;
    out.hour = out.minute = out.second = 0;
    if (text.size() < 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    if (!read_digits(text, 0, 4, out.year) || !read_digits(text, 5, 2, out.month) ||
        !read_digits(text, 8, 2, out.day)) {
        return std::nullopt;
    }
    std::size_t at = 10;
    if (at < text.size()) {
        if ((text[at] != ' ' && text[at] != 'T') || text.size() < at + 6 || text[at + 3] != ':') {
            return std::nullopt;
        }
        if (!read_digits(text, at + 1, 2, out.hour) || !read_digits(text, at + 4, 2, out.minute)) {
            return std::nullopt;
        }
        at += 6;
        if (at < text.size()) {
            if (text[at] != ':' || !read_digits(text, at + 1, 2, out.second)) return std::nullopt;
            at += 3;
            if (at < text.size()) {
                if (text[at] != '.' || at + 1 == text.size()) return std::nullopt;
                for (++at; at < text.size(); ++at) {
                    if (text[at] < '0' || text[at] > '9') return std::nullopt;
                }
            }
        }
    }
    if (out.month < 1 || out.month > 12 || out.day < 1 || out.day > days_in_month(out.year, out.month) ||
        out.hour > 23 || out.minute > 59 || out.second > 59) {
        return std::nullopt;
    }
    return out;
}

std::string format_datetime(const DateTime& value)
{
    std::array<char, 48> buffer{};
    const int n = std::snprintf(buffer.data(), buffer.size(), "%04d-%02d-%02d %02d:%02d:%02d", value.year,
                                value.month, value.day, value.hour, value.minute, value.second);
    return n > 0 ? std::string(buffer.data(), static_cast<std::size_t>(n)) : std::string();
}

}  // namespace db::detail
