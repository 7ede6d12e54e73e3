// The random-pick window: names from the last roll call flash by until the
// administrator stops them, and the one left standing is read aloud.
#pragma once

#include "assocman/forms/random_pick_names.h"

namespace randompick {

// Registers the window's handlers under the names its description uses.
void register_randompick_handlers();

}  // namespace randompick
