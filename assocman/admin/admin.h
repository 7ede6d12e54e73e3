// The administrators' own accounts: the password change and the new-account
// window, both opened from the workspace's "管理设置" menu.
#pragma once

namespace admin {

inline constexpr const char* kPasswordChangeWindow = "password_change";
inline constexpr const char* kNewAdminWindow = "new_admin";

// Registers both windows' handlers under the names their descriptions use.
void register_admin_handlers();

}  // namespace admin
