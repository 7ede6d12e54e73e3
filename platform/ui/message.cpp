#include "platform/ui/message.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHash>
#include <QMessageBox>
#include <QPushButton>

#include "platform/ui/testing.h"

namespace ui {

namespace {

struct Presenter {
    bool scripted = false;
    QList<Answer> answers;
    QList<ShownMessage> shown;
    std::function<void(const ShownMessage&)> while_open;
};

Presenter& presenter_state()
{
    static Presenter p;
    return p;
}

struct ButtonSpec {
    QMessageBox::StandardButton button;
    QMessageBox::ButtonRole role;
    Answer answer;
    const char* caption;
};

// Buttons in the order the system's boxes show them, with the captions of a
// Chinese system.
QList<ButtonSpec> buttons_for(Buttons buttons)
{
    const ButtonSpec ok{QMessageBox::Ok, QMessageBox::AcceptRole, Answer::ok, "确定"};
    const ButtonSpec cancel{QMessageBox::Cancel, QMessageBox::RejectRole, Answer::cancel, "取消"};
    const ButtonSpec abort{QMessageBox::Abort, QMessageBox::RejectRole, Answer::abort, "中止(&A)"};
    const ButtonSpec retry{QMessageBox::Retry, QMessageBox::AcceptRole, Answer::retry, "重试(&R)"};
    const ButtonSpec ignore{QMessageBox::Ignore, QMessageBox::AcceptRole, Answer::ignore, "忽略(&I)"};
    const ButtonSpec yes{QMessageBox::Yes, QMessageBox::YesRole, Answer::yes, "是(&Y)"};
    const ButtonSpec no{QMessageBox::No, QMessageBox::NoRole, Answer::no, "否(&N)"};
    switch (buttons) {
        case Buttons::ok:
            return {ok};
        case Buttons::ok_cancel:
            return {ok, cancel};
        case Buttons::abort_retry_ignore:
            return {abort, retry, ignore};
        case Buttons::yes_no_cancel:
            return {yes, no, cancel};
        case Buttons::yes_no:
            return {yes, no};
        case Buttons::retry_cancel:
            return {retry, cancel};
    }
    return {ok};
}

QMessageBox::Icon icon_for(Icon icon)
{
    switch (icon) {
        case Icon::none:
            return QMessageBox::NoIcon;
        case Icon::stop:
            return QMessageBox::Critical;
        case Icon::question:
            return QMessageBox::Question;
        case Icon::warning:
            return QMessageBox::Warning;
        case Icon::information:
            return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

Answer show_real_box(const QString& text, Buttons buttons, Icon icon, const QString& title)
{
    QMessageBox box(icon_for(icon), title, text, QMessageBox::NoButton, nullptr);
    box.setWindowModality(Qt::ApplicationModal);
    QHash<QAbstractButton*, Answer> results;
    QAbstractButton* cancel = nullptr;
    const QList<ButtonSpec> specs = buttons_for(buttons);
    for (const ButtonSpec& spec : specs) {
        QAbstractButton* b = box.addButton(spec.button);
        b->setText(QString::fromUtf8(spec.caption));
        results.insert(b, spec.answer);
        if (spec.answer == Answer::cancel) cancel = b;
    }
    box.setDefaultButton(qobject_cast<QPushButton*>(results.key(specs.first().answer)));
    // The close box (and Esc) answers Cancel where there is one, OK on a box
    // with OK alone.
    if (cancel) {
        box.setEscapeButton(cancel);
    } else if (specs.size() == 1) {
        box.setEscapeButton(results.key(specs.first().answer));
    }
    box.exec();
    if (QAbstractButton* clicked = box.clickedButton(); clicked && results.contains(clicked)) {
        return results.value(clicked);
    }
    return cancel ? Answer::cancel : specs.first().answer;
}

Answer first_button(Buttons buttons) { return buttons_for(buttons).first().answer; }

}  // namespace

Answer message_box(const QString& text, Buttons buttons, Icon icon, const QString& title)
{
    ShownMessage shown;
    shown.title = title.isEmpty() ? QString::fromUtf8(kDefaultTitle) : title;
    shown.text = text;
    shown.buttons = buttons;
    shown.icon = icon;
    Presenter& p = presenter_state();
    if (p.scripted) {
        shown.answer = p.answers.isEmpty() ? first_button(buttons) : p.answers.takeFirst();
        p.shown.append(shown);
        if (p.while_open) {
            // A copy: the hook may replace itself.
            auto hook = p.while_open;
            hook(shown);
        }
        return shown.answer;
    }
    // Without an application there is nothing to show a box on.
    if (!qApp) return first_button(buttons);
    return show_real_box(text, buttons, icon, shown.title);
}

namespace presenter {

void set_scripted(bool on) { presenter_state().scripted = on; }

bool scripted() { return presenter_state().scripted; }

void set_next_answer(Answer answer) { presenter_state().answers.append(answer); }

QList<ShownMessage> shown() { return presenter_state().shown; }

void clear()
{
    Presenter& p = presenter_state();
    p.answers.clear();
    p.shown.clear();
    p.while_open = nullptr;
}

void set_while_open(std::function<void(const ShownMessage&)> hook)
{
    presenter_state().while_open = std::move(hook);
}

}  // namespace presenter

}  // namespace ui
