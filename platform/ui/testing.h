// What only tests and benchmarks use of the form runtime: the widgets behind
// names, a program folder of their own, hooks in place of the end of the
// process, a clean slate between tests, and the message-box presenter's
// scripted answers and record of what was shown.
#pragma once

#include <QList>
#include <QString>
#include <functional>

#include "platform/ui/message.h"

class QWidget;

namespace ui {

// The widget behind a window or control, to type into and click on; null
// when there is none (with the lookup warning for a name no description has).
QWidget* window_widget(const QString& window);
QWidget* control_widget(const QString& window, const QString& control);

// Takes `dir` as the program folder in place of the executable's.
void set_program_directory(const QString& dir);

// Replaces what exit_program does after the clean-up.
void set_exit_hook(std::function<void(int)> hook);
// Replaces the exit after the fatal-error box. If the hook returns, the
// process still ends with -1.
void set_fatal_hook(std::function<void(int)> hook);

// Drops every window, description, handler and hook (between tests).
void reset_for_tests();

// A box as the presenter recorded it.
struct ShownMessage {
    QString title;
    QString text;
    Buttons buttons = Buttons::ok;
    Icon icon = Icon::none;
    Answer answer = Answer::ok;
};

// Once scripted, no real box is shown: each box takes the next queued answer
// (or OK / the first button when none is queued) and is recorded. A hook may
// run while the box is "open", the way a real box keeps events flowing.
namespace presenter {
void set_scripted(bool on);
[[nodiscard]] bool scripted();
void set_next_answer(Answer answer);
QList<ShownMessage> shown();
void clear();
void set_while_open(std::function<void(const ShownMessage&)> hook);
}  // namespace presenter

}  // namespace ui
