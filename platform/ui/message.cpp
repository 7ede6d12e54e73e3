#include "platform/ui/message.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHash>
#include <QMessageBox>
#include <QPushButton>

namespace ui {

namespace {

struct Presenter {
    bool scripted = false;
    QList<int> answers;
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
    int result;
    const char* caption;
};

// Buttons in the order the system's boxes show them, with the captions of a
// Chinese system.
QList<ButtonSpec> buttons_for(int style)
{
    const ButtonSpec ok{QMessageBox::Ok, QMessageBox::AcceptRole, ID_OK, "确定"};
    const ButtonSpec cancel{QMessageBox::Cancel, QMessageBox::RejectRole, ID_CANCEL, "取消"};
    const ButtonSpec abort{QMessageBox::Abort, QMessageBox::RejectRole, ID_ABORT, "中止(&A)"};
    const ButtonSpec retry{QMessageBox::Retry, QMessageBox::AcceptRole, ID_RETRY, "重试(&R)"};
    const ButtonSpec ignore{QMessageBox::Ignore, QMessageBox::AcceptRole, ID_IGNORE, "忽略(&I)"};
    const ButtonSpec yes{QMessageBox::Yes, QMessageBox::YesRole, ID_YES, "是(&Y)"};
    const ButtonSpec no{QMessageBox::No, QMessageBox::NoRole, ID_NO, "否(&N)"};
    switch (style & 0x0F) {
        case MB_OKCANCEL:
            return {ok, cancel};
        case MB_ABORTRETRYIGNORE:
            return {abort, retry, ignore};
        case MB_YESNOCANCEL:
            return {yes, no, cancel};
        case MB_YESNO:
            return {yes, no};
        case MB_RETRYCANCEL:
            return {retry, cancel};
        default:
            return {ok};
    }
}

QMessageBox::Icon icon_for(int style)
{
    switch (style & 0xF0) {
        case MB_ICONSTOP:
            return QMessageBox::Critical;
        case MB_ICONQUESTION:
            return QMessageBox::Question;
        case MB_ICONWARNING:
            return QMessageBox::Warning;
        case MB_ICONINFORMATION:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

int show_real_box(const QString& text, int style, const QString& title)
{
    QMessageBox box(icon_for(style), title, text, QMessageBox::NoButton, nullptr);
    box.setWindowModality(Qt::ApplicationModal);
    QHash<QAbstractButton*, int> results;
    QAbstractButton* cancel = nullptr;
    const QList<ButtonSpec> specs = buttons_for(style);
    for (const ButtonSpec& spec : specs) {
        QAbstractButton* b = box.addButton(spec.button);
        b->setText(QString::fromUtf8(spec.caption));
        results.insert(b, spec.result);
        if (spec.result == ID_CANCEL) cancel = b;
    }
    box.setDefaultButton(qobject_cast<QPushButton*>(results.key(specs.first().result)));
    // The close box (and Esc) answers Cancel where there is one, OK on a box
    // with OK alone.
    if (cancel) {
        box.setEscapeButton(cancel);
    } else if (specs.size() == 1) {
        box.setEscapeButton(results.key(specs.first().result));
    }
    box.exec();
    if (QAbstractButton* clicked = box.clickedButton(); clicked && results.contains(clicked)) {
        return results.value(clicked);
    }
    return cancel ? ID_CANCEL : specs.first().result;
}

int first_button(int style) { return buttons_for(style).first().result; }

}  // namespace

int message_box(const QString& text, int style, const QString& title)
{
    ShownMessage shown;
    shown.title = title.isEmpty() ? QString::fromUtf8(kDefaultTitle) : title;
    shown.text = text;
    shown.style = style;
    Presenter& p = presenter_state();
    if (p.scripted) {
        shown.result = p.answers.isEmpty() ? first_button(style) : p.answers.takeFirst();
        p.shown.append(shown);
        if (p.while_open) {
            // A copy: the hook may replace itself.
            auto hook = p.while_open;
            hook(shown);
        }
        return shown.result;
    }
    // Without an application there is nothing to show a box on.
    if (!qApp) return first_button(style);
    return show_real_box(text, style, shown.title);
}

namespace presenter {

void set_scripted(bool on) { presenter_state().scripted = on; }

bool scripted() { return presenter_state().scripted; }

void set_next_answer(int result) { presenter_state().answers.append(result); }

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
