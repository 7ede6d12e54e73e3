// The main workspace: the window an administrator works from after login.
#pragma once

namespace workspace {

// Registers every "workspace.*" handler that workspace.json binds.
void register_workspace_handlers();

}  // namespace workspace
