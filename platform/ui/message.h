// Message boxes. Every box of the program goes through one presenter, so a
// test can answer the boxes in advance and read back what was shown
// (testing.h).
#pragma once

#include <QString>

namespace ui {

// The buttons of a box, in the order the system's boxes show them.
enum class Buttons { ok, ok_cancel, abort_retry_ignore, yes_no_cancel, yes_no, retry_cancel };

enum class Icon { none, stop, question, warning, information };

// What a box returns: the button that closed it, numbered by its index as the
// program's boxes are defined with.
enum class Answer : int {
    ok = 0,
    cancel = 1,  // also the close box of a box that has Cancel
    abort = 2,
    retry = 3,
    ignore = 4,
    yes = 5,
    no = 6,
};

inline constexpr const char* kDefaultTitle = "信息：";

// Shows `text` task-modal (every window of the program stops taking input,
// posted close requests and timer ticks still run). An empty title gives
// "信息：".
Answer message_box(const QString& text, Buttons buttons, Icon icon, const QString& title = {});

}  // namespace ui
