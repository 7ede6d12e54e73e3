// The whiteboard editor, which rewrites the announcement lines that the
// workspace shows, and the two plain windows of the "关于程序" menu.
#pragma once

namespace whiteboard {

inline constexpr const char* kEditorWindow = "whiteboard_editor";
inline constexpr const char* kAboutWindow = "about";
inline constexpr const char* kHelpWindow = "help";

// Registers the "whiteboard_editor.*", "about.*" and "help.*" handlers that
// their descriptions bind.
void register_whiteboard_handlers();

}  // namespace whiteboard
