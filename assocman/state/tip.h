// The program's message procedure: a one-button box under the program's own
// title, for what the windows tell the operator.
#pragma once

#include <QString>

namespace app {

inline constexpr const char* kTipTitle = "温馨提示-Tarnwick";

// Shows `text` under "温馨提示-Tarnwick" with one OK button and the
// information icon.
void show_info(const QString& text);

// The same box with the stop icon: for what went wrong.
void show_error(const QString& text);

}  // namespace app
