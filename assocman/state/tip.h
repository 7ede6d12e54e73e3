// The program's message procedure: a one-button box under the program's own
// title, for what the windows tell the operator.
#pragma once

#include <QString>

namespace app {

inline constexpr const char* kTipTitle = "温馨提示-Tarnwick";

// Shows `text` under "温馨提示-Tarnwick" with one OK button, the stop icon
// when `stop` is true and the information icon otherwise.
void show_tip(const QString& text, bool stop);

}  // namespace app
