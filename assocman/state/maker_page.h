// The maker's page: the workspace's credit line and the link in the "about"
// window both open it in the browser.
#pragma once

namespace app {

inline constexpr const char* kMakerPage = "https://morvain.example.org/";

}  // namespace app
