// The members' register: the member-add form and the read-only member list.
#pragma once

#include "assocman/forms/member_add_names.h"
#include "assocman/forms/member_list_names.h"

namespace members {

// Registers both windows' handlers under the names their descriptions use.
void register_members_handlers();

}  // namespace members
