// Keys that act on a whole window: Tab and Shift+Tab through the tab stops in
// description order, Enter for the default button, Esc to close. They are
// looked at before the focused control sees them, except Enter in a
// multi-line edit box, which starts a new line there.
#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

#include "platform/ui/window.h"

namespace ui::detail {

namespace {

bool is_tab_stop(const Control& c)
{
    return c.desc && c.desc->tab_stop && c.widget && c.widget->isVisible() && c.widget->isEnabled() &&
           c.widget->focusPolicy() != Qt::NoFocus;
}

void move_focus(FormWindow* window, QWidget* focus, bool forward)
{
    const auto& controls = window->controls();
    const int n = static_cast<int>(controls.size());
    if (n == 0) return;
    const Control* current = focus ? window->control_of(focus) : nullptr;
    int at = -1;
    for (int i = 0; i < n; ++i) {
        if (controls[i].get() == current) at = i;
    }
    // From no control at all, Tab starts at the first tab stop and
    // Shift+Tab at the last.
    if (at < 0) at = forward ? n - 1 : 0;
    for (int step = 1; step <= n; ++step) {
        const int i = forward ? (at + step) % n : (at - step + n) % n;
        if (is_tab_stop(*controls[i])) {
            controls[i]->widget->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return;
        }
    }
}

QPushButton* default_button(FormWindow* window)
{
    for (const auto& c : window->controls()) {
        if (c->desc && c->desc->is_default) return qobject_cast<QPushButton*>(c->widget.data());
    }
    return nullptr;
}

class KeyFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || !object->isWidgetType()) return false;
        auto* widget = static_cast<QWidget*>(object);
        QWidget* focus = QApplication::focusWidget();
        // A key travels up from the focus widget to its parents; act on its
        // first stop only.
        if (focus ? widget != focus : !qobject_cast<FormWindow*>(widget)) return false;
        auto* window = qobject_cast<FormWindow*>(widget->window());
        if (!window || !window->alive) return false;
        return handle(window, focus, static_cast<QKeyEvent*>(event));
    }

private:
    static bool handle(FormWindow* window, QWidget* focus, QKeyEvent* key)
    {
        const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
        switch (key->key()) {
            case Qt::Key_Tab:
            case Qt::Key_Backtab:
                if (mods & ~Qt::ShiftModifier) return false;
                move_focus(window, focus, key->key() == Qt::Key_Tab && !(mods & Qt::ShiftModifier));
                return true;
            case Qt::Key_Return:
            case Qt::Key_Enter: {
                if (mods != Qt::NoModifier) return false;
                for (QWidget* w = focus; w && w != window; w = w->parentWidget()) {
                    if (qobject_cast<QPlainTextEdit*>(w)) return false;
                }
                QPushButton* button = default_button(window);
                if (!button || !button->isVisible() || !button->isEnabled()) return false;
                button->click();
                return true;
            }
            case Qt::Key_Escape:
                if (mods != Qt::NoModifier || !window->desc().esc_closes) return false;
                request_close(window);
                return true;
            default:
                return false;
        }
    }
};

}  // namespace

void install_key_filter()
{
    static QPointer<KeyFilter> filter;
    if (filter || !qApp) return;
    filter = new KeyFilter(qApp);
    qApp->installEventFilter(filter);
}

}  // namespace ui::detail
