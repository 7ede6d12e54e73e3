// The login window: the program's start window.
#pragma once

namespace login {

inline constexpr const char* kWindow = "login";

// Registers the window's handlers under the names its description uses.
void register_login_handlers();

}  // namespace login
