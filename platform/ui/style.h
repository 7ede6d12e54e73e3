// The application style the runtime installs at start.
#pragma once

class QStyle;

namespace ui::detail {

// Fusion with the program's own hints (password mask "*") and the skin's
// check and radio boxes.
QStyle* make_program_style();

}  // namespace ui::detail
