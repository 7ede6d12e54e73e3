#include "platform/db/criterion.h"

#include <charconv>
#include <system_error>
#include <variant>

namespace db::detail {

std::optional<Criterion> parse_criterion(std::string_view text)
{
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const char* first = text.data() + equals + 1;
    const char* last = text.data() + text.size();
    if (first == last) return std::nullopt;
    long long number = 0;
    const auto [end, ec] = std::from_chars(first, last, number);
    if (ec != std::errc() || end != last) return std::nullopt;
    return Criterion{std::string(text.substr(0, equals)), number};
}

bool cell_equals(const Value& cell, long long number)
{
    if (const auto* integer = std::get_if<long long>(&cell)) return *integer == number;
    if (const auto* real = std::get_if<double>(&cell)) return *real == static_cast<double>(number);
    return false;
}

}  // namespace db::detail
