// The member look-up window: finds one member by exact name and lets the
// administrator correct four fields of that member's row.
#pragma once

#include "assocman/forms/member_lookup_names.h"

namespace lookup {

// Registers the window's handlers under the names its description uses.
void register_lookup_handlers();

}  // namespace lookup
