// The administrators' own accounts: the password change and the new-account
// window, both opened from the workspace's "管理设置" menu.
#pragma once

#include "assocman/forms/new_admin_names.h"
#include "assocman/forms/password_change_names.h"

namespace admin {

// Registers both windows' handlers under the names their descriptions use.
void register_admin_handlers();

}  // namespace admin
