// A window of the form runtime: a fixed-size top-level widget built from its
// description, with an optional menu bar above a client area that holds the
// controls at their described positions.
#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "platform/ui/description.h"

class QAction;
class QButtonGroup;
class QMenuBar;
class QSystemTrayIcon;
class QTimer;

namespace db {
class Connection;
class RecordSet;
}  // namespace db

namespace ui::detail {

class FormWindow;

struct Control {
    Control();
    ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    QString name;
    ControlType type = ControlType::TransLabel;
    const ControlDesc* desc = nullptr;        // null for a menu item
    const MenuItemDesc* menu_item = nullptr;  // set for a menu item only
    QPointer<QWidget> widget;                 // visual controls
    QPointer<QAction> action;                 // menu items
    QPointer<QTimer> timer;
    QPointer<QSystemTrayIcon> tray;
    bool tray_shown = false;
    EditMode mode = EditMode::Normal;
    std::unique_ptr<db::Connection> connection;
    std::unique_ptr<db::RecordSet> recordset;
};

class FormWindow : public QWidget {
    Q_OBJECT
public:
    FormWindow(WindowDescPtr desc, FormWindow* owner, bool modal);
    ~FormWindow() override;

    const WindowDesc& desc() const { return *desc_; }
    QString name() const { return desc_->name; }
    QWidget* client() const { return client_; }
    QMenuBar* menu_bar() const { return menu_bar_; }
    FormWindow* owner() const { return owner_; }
    QButtonGroup* radio_group();

    Control* control(const QString& name) const;
    Control* control_of(const QWidget* widget) const;  // the control a (child) widget belongs to
    const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }
    Control& add_control(const QString& name);

    // Runs the handler bound to a window event, if any.
    void fire(const QString& event);
    // Runs the handler a control binds to `event`, if any.
    void fire(const Control& control, const QString& event);

    // Menu bar and shortcut keys; the client area moves below the bar.
    void build_menus();
    void centre_on_screen();
    [[nodiscard]] bool created() const { return created_; }
    // Creation is done: position and size changes are reported from now on.
    void finish_creation();
    // Stops what could still call into handlers and releases the units,
    // record sets before connections.
    void shut_down();

    bool closing = false;     // a close was asked for
    bool destroying = false;  // its being-destroyed event is running or done
    bool alive = true;        // handlers can still reach it by name
    // Show/hide asked for while the creation events ran; applied afterwards.
    std::optional<bool> visibility_request;

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void run_shortcut(const QKeySequence& key);

    WindowDescPtr desc_;
    QPointer<FormWindow> owner_;
    QWidget* client_ = nullptr;
    QMenuBar* menu_bar_ = nullptr;
    QButtonGroup* radio_group_ = nullptr;
    std::vector<std::unique_ptr<Control>> controls_;
    bool created_ = false;
    QPoint reported_pos_;
    QSize reported_size_;
    struct ShortcutEntry {
        QKeySequence key;
        QPointer<QAction> action;
        QString handler;
    };
    std::vector<ShortcutEntry> shortcut_table_;  // menu order
};

// ---- window registry (windows.cpp) ----------------------------------------

// Null when the window is not open (alive windows only) or the control is
// not there; a name that no description has, or that the window's description
// lacks, also logs the lookup warning (runtime.h).
FormWindow* find_window(const QString& name);
Control* find_control(const QString& window, const QString& control);
// Marks the window closing and posts the close; no-op when already closing.
void request_close(FormWindow* window);
// Destroys at once: owned windows first, then the being-destroyed event,
// then the units; the widget itself is freed once no handler is running.
void destroy_now(FormWindow* window);
// Runs a handler for a window that is still alive, then has the lists of
// every window follow their record sets.
void run_handler(FormWindow* window, const QString& handler);
void destroy_all_windows_for_tests();
// A window widget going away for whatever reason leaves the registry.
void forget_window(FormWindow* window);

// ---- parts of the building (builder.cpp, tray.cpp, keys.cpp) --------------

void build_control(FormWindow* window, const ControlDesc& desc);
void build_tray_icon(FormWindow* window, Control& control, const ControlDesc& desc);
void apply_edit_mode(Control& control, EditMode mode);
void install_key_filter();

}  // namespace ui::detail
