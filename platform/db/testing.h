// What only tests use of the database layer: counts of the key cache, a
// shorter wait for another connection's lock and scripts on a connection.
// db.h has what programs use.
#pragma once

#include <ostream>
#include <string>

#include "platform/db/db.h"

namespace db {

// How long a statement of this connection waits for another connection's
// lock before it fails as busy (five seconds after a connect).
void set_busy_timeout(Connection& connection, int milliseconds);
// The same for the connections made from now on, their connect included; a
// negative value gives back the five seconds.
void set_connect_busy_timeout(int milliseconds);

// Runs statements (several, separated by ";") in one transaction: all of
// them, or on failure none. Silent; false also when the connection is not
// open or a transaction is open on it already.
[[nodiscard]] bool run_script(Connection& connection, const std::string& statements);

// Show places and positions in a test's failure messages.
inline void PrintTo(Place place, std::ostream* out)
{
    switch (place) {
        case Place::on_row:
            *out << "on a row";
            return;
        case Place::none:
            *out << "no position";
            return;
        case Place::before_first:
            *out << "before the first row";
            return;
        case Place::after_last:
            *out << "after the last row";
            return;
    }
    *out << "place " << static_cast<int>(place);
}

inline void PrintTo(const Position& position, std::ostream* out)
{
    if (position.place == Place::on_row && position.row) {
        *out << "row " << *position.row;
    } else {
        PrintTo(position.place, out);
    }
}

namespace detail {

struct KeyCounts {
    unsigned long derived = 0;    // keys derived by this layer
    unsigned long raw_opens = 0;  // connections opened with a kept or derived key
};
// Counts since the process started.
KeyCounts key_counts();

}  // namespace detail
}  // namespace db
