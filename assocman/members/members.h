// The members' register: the member-add form and the read-only member list.
#pragma once

namespace members {

inline constexpr const char* kAddWindow = "member_add";
inline constexpr const char* kListWindow = "member_list";

// Registers both windows' handlers under the names their descriptions use.
void register_members_handlers();

}  // namespace members
