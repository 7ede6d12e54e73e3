// The members' register: the member-add form and the read-only member list.
#pragma once

#include "assocman/forms/member_add_names.h"
#include "assocman/forms/member_list_names.h"

namespace members {

inline constexpr const char* kAddWindow = forms::member_add::window;
inline constexpr const char* kListWindow = forms::member_list::window;

// Registers both windows' handlers under the names their descriptions use.
void register_members_handlers();

}  // namespace members
