// The login window: the program's start window.
#pragma once

#include "assocman/forms/login_names.h"

namespace login {

// Registers the window's handlers under the names its description uses.
void register_login_handlers();

}  // namespace login
