// The whiteboard editor, which rewrites the announcement lines that the
// workspace shows, and the two plain windows of the "关于程序" menu.
#pragma once

#include "assocman/forms/about_names.h"
#include "assocman/forms/help_names.h"
#include "assocman/forms/whiteboard_editor_names.h"

namespace whiteboard {

// Registers the "whiteboard_editor.*", "about.*" and "help.*" handlers that
// their descriptions bind.
void register_whiteboard_handlers();

}  // namespace whiteboard
