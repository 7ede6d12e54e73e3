// The ciphertext tool's one window: the operator types the new database
// password, gets its ciphertext, and clicks into the ciphertext box to have it
// on the clipboard for the configuration file.
#pragma once

#include "cipherkey/cipherkey_names.h"

namespace cipherkey {

// Registers the window's handlers under the names its description binds:
// "cipherkey.on_created", "cipherkey.on_generate", "cipherkey.on_copy".
void register_cipherkey_handlers();

}  // namespace cipherkey
