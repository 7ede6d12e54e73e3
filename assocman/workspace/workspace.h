// The main workspace: the window an administrator works from after login.
#pragma once

namespace workspace {

// The address that the credit line opens in the browser.
inline constexpr const char* kMakerPage = "https://morvain.example.org/";

// Registers every "workspace.*" handler that workspace.json binds.
void register_workspace_handlers();

}  // namespace workspace
