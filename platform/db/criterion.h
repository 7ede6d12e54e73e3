// The criterion of a find, "<field>=<integer>": its parser and its match.
// Internal to the database layer.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/db/value.h"

namespace db::detail {

struct Criterion {
    std::string field;  // as written; the set matches it to a column without regard to ASCII case
    long long number = 0;
};

// Nothing but a field name, "=" and a decimal integer: no blanks, no sign
// other than a leading "-", nothing after the digits. nullopt otherwise.
std::optional<Criterion> parse_criterion(std::string_view text);

// Whether a stored value equals the criterion's number: integers and reals
// do, any other value never.
bool cell_equals(const Value& cell, long long number);

}  // namespace db::detail
