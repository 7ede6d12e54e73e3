// Reading and writing windows and controls by name. Every accessor looks the
// control up afresh, so one whose window is gone reads as empty and ignores
// writes.
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSystemTrayIcon>
#include <QTimer>

#include "platform/ui/list_rows.h"
#include "platform/ui/runtime.h"
#include "platform/ui/testing.h"
#include "platform/ui/widgets.h"
#include "platform/ui/window.h"

namespace ui {

using detail::Control;
using detail::ControlType;
using detail::FormWindow;

namespace {

template <typename T>
T* widget_as(const QString& window, const QString& control)
{
    Control* c = detail::find_control(window, control);
    return c ? qobject_cast<T*>(c->widget.data()) : nullptr;
}

}  // namespace

QString caption(const QString& window)
{
    FormWindow* w = detail::find_window(window);
    return w ? w->windowTitle() : QString();
}

void set_caption(const QString& window, const QString& text)
{
    if (FormWindow* w = detail::find_window(window)) w->setWindowTitle(text);
}

bool is_minimised(const QString& window)
{
    FormWindow* w = detail::find_window(window);
    return w && (w->windowState() & Qt::WindowMinimized);
}

bool is_window_visible(const QString& window)
{
    FormWindow* w = detail::find_window(window);
    if (!w) return false;
    if (!w->created()) return w->visibility_request.value_or(true);
    return w->isVisible();
}

void show_window(const QString& window)
{
    FormWindow* w = detail::find_window(window);
    if (!w) return;
    // During creation the window is not shown yet; remember the wish.
    if (!w->created()) {
        w->visibility_request = true;
    } else {
        w->show();
    }
}

void hide_window(const QString& window)
{
    FormWindow* w = detail::find_window(window);
    if (!w) return;
    if (!w->created()) {
        w->visibility_request = false;
    } else {
        w->hide();
    }
}

void restore_centred(const QString& window)
{
    FormWindow* w = detail::find_window(window);
    if (!w) return;
    if (w->isMinimized()) {
        w->showNormal();
    } else {
        w->setWindowState(Qt::WindowNoState);
    }
    w->centre_on_screen();
}

QString text(const QString& window, const QString& control)
{
    Control* c = detail::find_control(window, control);
    if (!c) return {};
    if (c->tray) return c->tray->toolTip();
    QWidget* w = c->widget;
    if (auto* label = dynamic_cast<detail::TransLabel*>(w)) return label->text();
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text();
    if (auto* edit = dynamic_cast<detail::EditText*>(w)) return edit->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text();
    return {};
}

void set_text(const QString& window, const QString& control, const QString& value)
{
    Control* c = detail::find_control(window, control);
    if (!c) return;
    if (c->tray) {
        c->tray->setToolTip(value);
        return;
    }
    QWidget* w = c->widget;
    if (auto* label = dynamic_cast<detail::TransLabel*>(w)) {
        label->set_text(value);
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        // The program's text is shown whole, whatever the maximum length.
        edit->setText(value);
    } else if (auto* edit = dynamic_cast<detail::EditText*>(w)) {
        edit->set_text(value);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(value);
    }
}

bool is_visible(const QString& window, const QString& control)
{
    Control* c = detail::find_control(window, control);
    if (!c) return false;
    if (c->action) return c->action->isVisible();
    return c->widget && !c->widget->isHidden();
}

void set_visible(const QString& window, const QString& control, bool visible)
{
    Control* c = detail::find_control(window, control);
    if (!c) return;
    if (c->action) {
        c->action->setVisible(visible);
    } else if (c->widget) {
        c->widget->setVisible(visible);
    }
}

bool is_disabled(const QString& window, const QString& control)
{
    Control* c = detail::find_control(window, control);
    if (!c) return false;
    if (c->action) return !c->action->isEnabled();
    return c->widget && !c->widget->isEnabled();
}

void set_disabled(const QString& window, const QString& control, bool disabled)
{
    Control* c = detail::find_control(window, control);
    if (!c) return;
    if (c->action) {
        c->action->setEnabled(!disabled);
    } else if (c->widget) {
        c->widget->setEnabled(!disabled);
    }
}

bool is_checked(const QString& window, const QString& control)
{
    auto* button = widget_as<QAbstractButton>(window, control);
    return button && button->isCheckable() && button->isChecked();
}

void set_checked(const QString& window, const QString& control, bool checked)
{
    auto* button = widget_as<QAbstractButton>(window, control);
    if (!button || !button->isCheckable()) return;
    // An exclusive group refuses to clear its checked button; the program
    // may clear it all the same.
    QButtonGroup* group = button->group();
    const bool exclusive = group && group->exclusive();
    if (exclusive && !checked) group->setExclusive(false);
    button->setChecked(checked);
    if (exclusive && !checked) group->setExclusive(true);
}

QString edit_mode(const QString& window, const QString& control)
{
    Control* c = detail::find_control(window, control);
    if (!c || c->type != ControlType::EditBox) return {};
    switch (c->mode) {
        case detail::EditMode::Normal:
            return QStringLiteral("normal");
        case detail::EditMode::ReadOnly:
            return QStringLiteral("readonly");
        case detail::EditMode::Integer:
            return QStringLiteral("integer");
        case detail::EditMode::Password:
            return QStringLiteral("password");
    }
    return {};
}

void set_edit_mode(const QString& window, const QString& control, const QString& mode)
{
    Control* c = detail::find_control(window, control);
    if (!c || c->type != ControlType::EditBox) return;
    if (mode == QLatin1String("normal")) {
        detail::apply_edit_mode(*c, detail::EditMode::Normal);
    } else if (mode == QLatin1String("readonly")) {
        detail::apply_edit_mode(*c, detail::EditMode::ReadOnly);
    } else if (mode == QLatin1String("integer")) {
        detail::apply_edit_mode(*c, detail::EditMode::Integer);
    } else if (mode == QLatin1String("password") && qobject_cast<QLineEdit*>(c->widget.data())) {
        detail::apply_edit_mode(*c, detail::EditMode::Password);
    }
}

// ---- ListBox and ComboBox ---------------------------------------------------
// Changes made here block the widget's signals: on_selection_changed is for
// the user's changes only.

int current_index(const QString& window, const QString& control)
{
    if (auto* list = widget_as<QListWidget>(window, control)) {
        const auto selected = list->selectedItems();
        return selected.isEmpty() ? -1 : list->row(selected.first());
    }
    if (auto* combo = widget_as<QComboBox>(window, control)) return combo->currentIndex();
    return -1;
}

void set_current_index(const QString& window, const QString& control, int index)
{
    if (auto* list = widget_as<QListWidget>(window, control)) {
        QSignalBlocker block(list);
        if (index >= 0 && index < list->count()) {
            list->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
        } else {
            list->clearSelection();
            list->setCurrentRow(-1);
        }
        list->viewport()->update();
    } else if (auto* combo = widget_as<QComboBox>(window, control)) {
        QSignalBlocker block(combo);
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
    }
}

void add_item(const QString& window, const QString& control, const QString& item)
{
    if (auto* list = widget_as<QListWidget>(window, control)) {
        QSignalBlocker block(list);
        list->addItem(item);
    } else if (auto* combo = widget_as<QComboBox>(window, control)) {
        QSignalBlocker block(combo);
        // Qt selects the first item added to an empty box; a list control
        // keeps "nothing selected" until told otherwise.
        const int before = combo->currentIndex();
        combo->addItem(item);
        if (before < 0) combo->setCurrentIndex(-1);
    }
}

void remove_item(const QString& window, const QString& control, int index)
{
    if (auto* list = widget_as<QListWidget>(window, control)) {
        if (index < 0 || index >= list->count()) return;
        QSignalBlocker block(list);
        // Qt would move the selection to a neighbour; the list loses it.
        const bool was_selected = list->item(index)->isSelected();
        delete list->takeItem(index);
        if (was_selected) list->clearSelection();
    } else if (auto* combo = widget_as<QComboBox>(window, control)) {
        if (index < 0 || index >= combo->count()) return;
        QSignalBlocker block(combo);
        const bool was_current = combo->currentIndex() == index;
        combo->removeItem(index);
        if (was_current) combo->setCurrentIndex(-1);
    }
}

void clear_items(const QString& window, const QString& control)
{
    if (auto* list = widget_as<QListWidget>(window, control)) {
        QSignalBlocker block(list);
        list->clear();
    } else if (auto* combo = widget_as<QComboBox>(window, control)) {
        QSignalBlocker block(combo);
        combo->clear();
    }
}

int item_count(const QString& window, const QString& control)
{
    if (auto* list = widget_as<QListWidget>(window, control)) return list->count();
    if (auto* combo = widget_as<QComboBox>(window, control)) return combo->count();
    return 0;
}

QString item_text(const QString& window, const QString& control, int index)
{
    if (auto* list = widget_as<QListWidget>(window, control)) {
        return index >= 0 && index < list->count() ? list->item(index)->text() : QString();
    }
    if (auto* combo = widget_as<QComboBox>(window, control)) {
        return index >= 0 && index < combo->count() ? combo->itemText(index) : QString();
    }
    return {};
}

// ---- ListView ------------------------------------------------------------------

void add_row(const QString& window, const QString& control, const QStringList& cells)
{
    Control* c = detail::find_control(window, control);
    if (detail::ListRows* rows = c ? detail::list_rows(*c) : nullptr) rows->append(cells);
}

void show_recordset_rows(const QString& window, const QString& control, const QString& recordset,
                         const QStringList& fields)
{
    Control* list = detail::find_control(window, control);
    detail::ListRows* rows = list ? detail::list_rows(*list) : nullptr;
    if (!rows) return;
    // Only a unit of the same window: the window lets the list go of it
    // before it frees its units.
    Control* unit = detail::find_control(window, recordset);
    if (unit && unit->recordset) {
        rows->show_set(unit->recordset.get(), fields);
    } else {
        rows->clear();
    }
}

void clear_rows(const QString& window, const QString& control)
{
    Control* c = detail::find_control(window, control);
    if (detail::ListRows* rows = c ? detail::list_rows(*c) : nullptr) rows->clear();
}

int row_count(const QString& window, const QString& control)
{
    Control* c = detail::find_control(window, control);
    detail::ListRows* rows = c ? detail::list_rows(*c) : nullptr;
    if (!rows) return 0;
    return rows->rowCount();
}

QString cell_text(const QString& window, const QString& control, int row, int column)
{
    Control* c = detail::find_control(window, control);
    detail::ListRows* rows = c ? detail::list_rows(*c) : nullptr;
    if (!rows) return {};
    return rows->text(row, column);
}

// ---- Timer, focus, units -----------------------------------------------------

int timer_interval(const QString& window, const QString& control)
{
    Control* c = detail::find_control(window, control);
    return c && c->timer && c->timer->isActive() ? c->timer->interval() : 0;
}

void set_timer_interval(const QString& window, const QString& control, int ms)
{
    Control* c = detail::find_control(window, control);
    if (!c || !c->timer) return;
    if (ms > 0) {
        c->timer->start(ms);
    } else {
        c->timer->stop();
    }
}

void set_focus(const QString& window, const QString& control)
{
    Control* c = detail::find_control(window, control);
    if (c && c->widget) c->widget->setFocus(Qt::OtherFocusReason);
}

QString focused_control(const QString& window)
{
    FormWindow* w = detail::find_window(window);
    if (!w) return {};
    QWidget* focus = w->focusWidget();
    if (!focus) return {};
    const Control* c = w->control_of(focus);
    return c ? c->name : QString();
}

db::Connection* connection(const QString& window, const QString& unit)
{
    Control* c = detail::find_control(window, unit);
    return c ? c->connection.get() : nullptr;
}

db::RecordSet* recordset(const QString& window, const QString& unit)
{
    Control* c = detail::find_control(window, unit);
    return c ? c->recordset.get() : nullptr;
}

QWidget* control_widget(const QString& window, const QString& control)
{
    Control* c = detail::find_control(window, control);
    return c ? c->widget.data() : nullptr;
}

}  // namespace ui
