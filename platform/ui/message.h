// Message boxes. Every box of the program goes through one presenter, so a
// test can answer the boxes in advance and read back what was shown.
#pragma once

#include <QList>
#include <QString>
#include <functional>

namespace ui {

// Buttons and icons, combined with "|" as the program's styles are written.
enum MessageStyle : int {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_ABORTRETRYIGNORE = 0x2,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_RETRYCANCEL = 0x5,
    MB_ICONSTOP = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
};

// What a box returns: the index of the button that closed it.
enum MessageResult : int {
    ID_OK = 0,
    ID_CANCEL = 1,  // also the close box of a box that has Cancel
    ID_ABORT = 2,
    ID_RETRY = 3,
    ID_IGNORE = 4,
    ID_YES = 5,
    ID_NO = 6,
};

inline constexpr const char* kDefaultTitle = "信息：";

// Shows `text` task-modal (every window of the program stops taking input,
// posted close requests and timer ticks still run). An empty title gives
// "信息：".
int message_box(const QString& text, int style, const QString& title = {});

struct ShownMessage {
    QString title;
    QString text;
    int style = 0;
    int result = 0;
};

// Test control of the presenter. Once scripted, no real box is shown: each
// box takes the next queued answer (or OK / the first button when none is
// queued) and is recorded. A hook may run while the box is "open", the way a
// real box keeps events flowing.
namespace presenter {
void set_scripted(bool on);
bool scripted();
void set_next_answer(int result);
QList<ShownMessage> shown();
void clear();
void set_while_open(std::function<void(const ShownMessage&)> hook);
}  // namespace presenter

}  // namespace ui
