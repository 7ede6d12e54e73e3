// Turning a control's description into its widget (or timer, tray icon or
// database unit), with its events bound to the window's handlers.
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QListWidget>
#include <QPalette>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>

#include "platform/db/db.h"
#include "platform/ui/fonts.h"
#include "platform/ui/list_rows.h"
#include "platform/ui/widgets.h"
#include "platform/ui/window.h"

namespace ui::detail {

namespace {

// Check and radio boxes answer a click anywhere on the control, not only on
// the mark and the caption's ink.
template <typename Base>
class WholeAreaButton : public Base {
public:
    using Base::Base;

protected:
    bool hitButton(const QPoint& pos) const override { return this->rect().contains(pos); }
};

// A control's event as a callable that is safe to keep in a widget: it does
// nothing once the window is gone.
std::function<void()> binding(FormWindow* window, const ControlDesc& desc, const char* event)
{
    QPointer<FormWindow> guard(window);
    const QString handler = desc.events.value(QLatin1String(event));
    if (handler.isEmpty()) return {};
    return [guard, handler] {
        if (guard) run_handler(guard, handler);
    };
}

// Focus handlers may wait while events go on (the ciphertext tool waits a
// second); running them from the loop instead of inside Qt's focus change
// keeps that change from being re-entered.
std::function<void()> posted(std::function<void()> fn)
{
    if (!fn) return {};
    return [fn] { QMetaObject::invokeMethod(qApp, fn, Qt::QueuedConnection); };
}

void set_text_color(QWidget* widget, QPalette::ColorRole role, const std::optional<QColor>& color)
{
    if (!color) return;
    QPalette pal = widget->palette();
    pal.setColor(role, *color);
    widget->setPalette(pal);
}

QWidget* make_edit(FormWindow* window, Control& control, const ControlDesc& d)
{
    QWidget* widget = nullptr;
    if (d.multiline) {
        auto* edit = new EditText(window->client());
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        edit->setTabChangesFocus(true);
        edit->set_text(d.text);
        edit->rules.max_length = d.max_length;
        edit->on_focus = posted(binding(window, d, "on_focus"));
        widget = edit;
    } else {
        auto* edit = new EditLine(window->client());
        edit->setText(d.text);
        edit->rules.max_length = d.max_length;
        edit->on_focus = posted(binding(window, d, "on_focus"));
        widget = edit;
    }
    control.widget = widget;
    apply_edit_mode(control, d.mode);
    set_text_color(widget, QPalette::Text, d.color);
    return widget;
}

QWidget* make_list_view(FormWindow* window, const ControlDesc& d)
{
    // A view over a model rather than a table widget: a widget would keep an
    // item object per cell, which a list of many thousand rows pays
    // for in time and memory when the list opens.
    auto* table = new QTableView(window->client());
    table->setModel(new ListRows(d.columns, table));
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setSelectionBehavior(d.full_row_select ? QAbstractItemView::SelectRows
                                                  : QAbstractItemView::SelectItems);
    table->setShowGrid(d.grid_lines);
    table->setSortingEnabled(false);
    table->setWordWrap(false);
    table->horizontalHeader()->setSectionsMovable(d.drag_columns);
    table->horizontalHeader()->setStretchLastSection(false);
    table->horizontalHeader()->setHighlightSections(false);
    for (int i = 0; i < d.columns.size(); ++i) table->setColumnWidth(i, d.columns[i].width);
    return table;
}

}  // namespace

void apply_edit_mode(Control& control, EditMode mode)
{
    control.mode = mode;
    if (auto* line = qobject_cast<QLineEdit*>(control.widget.data())) {
        line->setReadOnly(mode == EditMode::ReadOnly);
        line->setEchoMode(mode == EditMode::Password ? QLineEdit::Password : QLineEdit::Normal);
        static_cast<EditLine*>(line)->rules.integer = mode == EditMode::Integer;
    } else if (auto* text = qobject_cast<QPlainTextEdit*>(control.widget.data())) {
        text->setReadOnly(mode == EditMode::ReadOnly);
        static_cast<EditText*>(text)->rules.integer = mode == EditMode::Integer;
    }
}

void build_control(FormWindow* window, const ControlDesc& d)
{
    Control& c = window->add_control(d.name);
    c.type = d.type;
    c.desc = &d;
    QWidget* parent = window->client();
    QWidget* widget = nullptr;
    bool focusable = true;

    switch (d.type) {
        case ControlType::TransLabel: {
            auto* label = new TransLabel(parent);
            label->set_text(d.text);
            label->set_alignment(d.align);
            if (d.color) label->set_color(*d.color);
            label->set_shadow(d.shadow);
            if (d.hand_cursor) label->setCursor(Qt::PointingHandCursor);
            label->on_left_button_down = binding(window, d, "on_left_button_down");
            label->on_right_button_up = binding(window, d, "on_right_button_up");
            widget = label;
            focusable = false;
            break;
        }
        case ControlType::EditBox:
            widget = make_edit(window, c, d);
            break;
        case ControlType::Button: {
            auto* button = new QPushButton(d.text, parent);
            button->setAutoDefault(false);
            button->setDefault(d.is_default);
            if (auto fn = binding(window, d, "on_click"))
                QObject::connect(button, &QPushButton::clicked, button, fn);
            set_text_color(button, QPalette::ButtonText, d.color);
            widget = button;
            break;
        }
        case ControlType::CheckBox: {
            auto* box = new WholeAreaButton<QCheckBox>(d.text, parent);
            box->setChecked(d.checked);
            if (auto fn = binding(window, d, "on_click")) QObject::connect(box, &QCheckBox::clicked, box, fn);
            set_text_color(box, QPalette::WindowText, d.color);
            widget = box;
            break;
        }
        case ControlType::RadioBox: {
            auto* radio = new WholeAreaButton<QRadioButton>(d.text, parent);
            window->radio_group()->addButton(radio);
            radio->setChecked(d.checked);
            if (auto fn = binding(window, d, "on_click"))
                QObject::connect(radio, &QRadioButton::clicked, radio, fn);
            set_text_color(radio, QPalette::WindowText, d.color);
            widget = radio;
            break;
        }
        case ControlType::ComboBox: {
            auto* combo = new QComboBox(parent);
            combo->setEditable(false);
            combo->addItems(d.items);
            combo->setCurrentIndex(d.current);
            if (auto fn = binding(window, d, "on_selection_changed")) {
                QObject::connect(combo, &QComboBox::currentIndexChanged, combo, fn);
            }
            set_text_color(combo, QPalette::Text, d.color);
            widget = combo;
            break;
        }
        case ControlType::ListBox: {
            auto* list = new QListWidget(parent);
            list->setSelectionMode(QAbstractItemView::SingleSelection);
            list->setSortingEnabled(false);
            list->addItems(d.items);
            if (auto fn = binding(window, d, "on_selection_changed")) {
                QObject::connect(list, &QListWidget::itemSelectionChanged, list, fn);
            }
            set_text_color(list, QPalette::Text, d.color);
            widget = list;
            break;
        }
        case ControlType::ListView:
            widget = make_list_view(window, d);
            set_text_color(widget, QPalette::Text, d.color);
            break;
        case ControlType::ShapeBox:
            widget = new ShapeBox(d.fill, d.border, parent);
            focusable = false;
            break;
        case ControlType::Line:
            widget = new LineControl(d.color.value_or(Qt::black), parent);
            focusable = false;
            break;
        case ControlType::Timer: {
            auto* timer = new QTimer(window);
            if (auto fn = binding(window, d, "on_tick")) QObject::connect(timer, &QTimer::timeout, timer, fn);
            if (d.interval > 0) timer->start(d.interval);
            c.timer = timer;
            break;
        }
        case ControlType::TrayIcon:
            build_tray_icon(window, c, d);
            break;
        case ControlType::DBConnection:
            c.connection = std::make_unique<db::Connection>();
            break;
        case ControlType::RecordSet:
            c.recordset = std::make_unique<db::RecordSet>();
            break;
    }
    if (!widget) return;

    c.widget = widget;
    if (d.font) widget->setFont(description_font(*d.font));
    if (auto* table = qobject_cast<QTableView*>(widget)) {
        table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    }
    if (d.type == ControlType::ComboBox) {
        // A drop-down's described height includes its open list.
        const int closed = widget->sizeHint().height();
        QRect r = d.rect;
        if (r.height() > 2 * closed) r.setHeight(closed);
        widget->setGeometry(r);
    } else {
        widget->setGeometry(d.rect);
    }
    // Without a tab stop a control still takes the focus when clicked.
    widget->setFocusPolicy(!focusable ? Qt::NoFocus : d.tab_stop ? Qt::StrongFocus : Qt::ClickFocus);
    widget->setEnabled(!d.disabled);
    widget->setVisible(d.visible);
}

}  // namespace ui::detail
