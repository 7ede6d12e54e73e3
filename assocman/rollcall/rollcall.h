// The roll-call window: calls every member by name, stores each mark in
// qiandao and writes the day's attendance report once the list is done.
#pragma once

#include "assocman/forms/rollcall_names.h"

namespace rollcall {

inline constexpr const char* kWindow = forms::rollcall::window;

// Registers the window's handlers under the names its description uses.
void register_rollcall_handlers();

}  // namespace rollcall
