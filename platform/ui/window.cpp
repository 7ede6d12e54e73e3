#include "platform/ui/window.h"

#include <QAction>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QSystemTrayIcon>
#include <QTimer>

#include "platform/db/db.h"
#include "platform/ui/list_rows.h"

namespace ui::detail {

namespace {

// The area below the menu bar: the background picture stretched over it, or
// the plain window colour when the description has none.
class ClientArea : public QWidget {
public:
    ClientArea(const QImage& background, QWidget* parent) : QWidget(parent), background_(background)
    {
        setAutoFillBackground(background_.isNull());
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (background_.isNull()) return;
        if (scaled_.size() != size()) {
            scaled_ = QPixmap::fromImage(
                background_.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        }
        QPainter painter(this);
        painter.drawPixmap(0, 0, scaled_);
    }

private:
    QImage background_;
    QPixmap scaled_;
};

Qt::WindowFlags window_flags(const WindowDesc& desc)
{
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (desc.minimize_box) flags |= Qt::WindowMinimizeButtonHint;
    return flags;
}

}  // namespace

Control::Control() = default;
Control::~Control() = default;

FormWindow::FormWindow(WindowDescPtr desc, FormWindow* owner, bool modal)
    : QWidget(owner, window_flags(*desc)), desc_(std::move(desc)), owner_(owner)
{
    setWindowTitle(desc_->title);
    if (!desc_->icon.isNull()) setWindowIcon(QIcon(QPixmap::fromImage(desc_->icon)));
    if (modal) setWindowModality(Qt::ApplicationModal);
    client_ = new ClientArea(desc_->background, this);
    const QSize client = desc_->client_size();
    client_->setGeometry(0, 0, client.width(), client.height());
    setFixedSize(client);
}

FormWindow::~FormWindow()
{
    forget_window(this);
    // The units are freed with the members right after this, the lists only
    // later with the child widgets: they let go of their sets first.
    for (const auto& c : controls_) {
        if (ListRows* rows = list_rows(*c)) rows->release_set();
    }
}

QButtonGroup* FormWindow::radio_group()
{
    if (!radio_group_) {
        radio_group_ = new QButtonGroup(this);
        radio_group_->setExclusive(true);
    }
    return radio_group_;
}

Control* FormWindow::control(const QString& name) const
{
    for (const auto& c : controls_) {
        if (c->name == name) return c.get();
    }
    return nullptr;
}

Control* FormWindow::control_of(const QWidget* widget) const
{
    for (const QWidget* w = widget; w && w != this; w = w->parentWidget()) {
        for (const auto& c : controls_) {
            if (c->widget && c->widget == w) return c.get();
        }
    }
    return nullptr;
}

Control& FormWindow::add_control(const QString& name)
{
    controls_.push_back(std::make_unique<Control>());
    controls_.back()->name = name;
    return *controls_.back();
}

void FormWindow::fire(const QString& event) { run_handler(this, desc_->events.value(event)); }

void FormWindow::fire(const Control& control, const QString& event)
{
    if (control.desc) run_handler(this, control.desc->events.value(event));
}

void FormWindow::build_menus()
{
    if (desc_->menus.isEmpty()) return;
    menu_bar_ = new QMenuBar(this);
    for (const MenuDesc& m : desc_->menus) {
        QMenu* menu = menu_bar_->addMenu(m.caption);
        for (const MenuItemDesc& item : m.items) {
            // The key is only shown beside the caption; the shortcut table
            // below runs it, so two items may carry the same key.
            QString caption = item.caption;
            if (!item.shortcut.isEmpty()) caption += '\t' + item.shortcut.toString(QKeySequence::NativeText);
            QAction* action = menu->addAction(caption);
            action->setEnabled(!item.disabled);
            const QString handler = item.on_selected;
            connect(action, &QAction::triggered, this, [this, handler] { run_handler(this, handler); });
            if (!item.name.isEmpty()) {
                Control& c = add_control(item.name);
                c.menu_item = &item;
                c.action = action;
            }
            if (!item.shortcut.isEmpty()) shortcut_table_.push_back({item.shortcut, action, handler});
        }
    }
    QList<QKeySequence> keys;
    for (const ShortcutEntry& e : shortcut_table_) {
        if (keys.contains(e.key)) continue;
        keys.append(e.key);
        auto* shortcut = new QShortcut(e.key, this);
        shortcut->setContext(Qt::WindowShortcut);
        const QKeySequence key = e.key;
        connect(shortcut, &QShortcut::activated, this, [this, key] { run_shortcut(key); });
    }
    const int bar = menu_bar_->sizeHint().height();
    const QSize client = desc_->client_size();
    menu_bar_->setGeometry(0, 0, client.width(), bar);
    client_->move(0, bar);
    setFixedSize(client.width(), client.height() + bar);
}

void FormWindow::run_shortcut(const QKeySequence& key)
{
    // The first item in menu order that carries the key decides; when that
    // item is disabled the key does nothing.
    for (const ShortcutEntry& e : shortcut_table_) {
        if (e.key != key) continue;
        if (e.action && e.action->isEnabled()) run_handler(this, e.handler);
        return;
    }
}

void FormWindow::centre_on_screen()
{
    QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s) return;
    const QRect area = s->availableGeometry();
    const QSize outer = isVisible() ? frameGeometry().size() : size();
    move(area.center() - QPoint(outer.width() / 2, outer.height() / 2));
}

void FormWindow::finish_creation()
{
    created_ = true;
    reported_pos_ = pos();
    reported_size_ = size();
}

void FormWindow::shut_down()
{
    for (const auto& c : controls_) {
        if (c->timer) c->timer->stop();
        if (c->tray) c->tray->hide();
        c->tray_shown = false;
    }
    // A list that shows a record set lets go of it before the set is freed.
    for (const auto& c : controls_) {
        if (ListRows* rows = list_rows(*c)) rows->release_set();
    }
    for (const auto& c : controls_) c->recordset.reset();
    for (const auto& c : controls_) c->connection.reset();
}

void FormWindow::closeEvent(QCloseEvent* event)
{
    // The close box asks like destroy_window_or_unit does; the window goes
    // when the loop takes the request.
    event->ignore();
    request_close(this);
}

void FormWindow::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    if (!created_ || !alive || pos() == reported_pos_) return;
    reported_pos_ = pos();
    fire(QStringLiteral("on_moved"));
}

void FormWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!created_ || !alive || size() == reported_size_) return;
    reported_size_ = size();
    fire(QStringLiteral("on_resized"));
}

void FormWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && created_ && alive) {
        // Minimising and restoring count as a change of position.
        fire(QStringLiteral("on_moved"));
    }
}

}  // namespace ui::detail
