// A window description as the loader leaves it: every value checked, every
// picture decoded, so building a window from it cannot fail half-way.
#pragma once

#include <QColor>
#include <QImage>
#include <QKeySequence>
#include <QList>
#include <QMap>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QJsonDocument;
struct QJsonParseError;

namespace ui::detail {

enum class ControlType {
    TransLabel,
    EditBox,
    Button,
    CheckBox,
    RadioBox,
    ComboBox,
    ListBox,
    ListView,
    Timer,
    TrayIcon,
    ShapeBox,
    Line,
    DBConnection,
    RecordSet,
};

enum class EditMode { Normal, ReadOnly, Integer, Password };

struct FontDesc {
    QString face;
    int height = 0;  // character height in pixels; 0 keeps the default size
    int weight = 400;
};

struct ColumnDesc {
    QString title;
    int width = 0;
    Qt::Alignment align = Qt::AlignLeft;
};

struct ControlDesc {
    QString name;
    ControlType type = ControlType::TransLabel;
    QRect rect;
    QString text;
    std::optional<FontDesc> font;
    std::optional<QColor> color;
    bool visible = true;
    bool disabled = false;
    bool tab_stop = false;
    QMap<QString, QString> events;  // event name -> handler name

    // TransLabel
    Qt::Alignment align = Qt::AlignLeft;
    std::optional<QPoint> shadow;  // offset of the white copy
    bool hand_cursor = false;
    // EditBox
    EditMode mode = EditMode::Normal;
    int max_length = 0;
    bool multiline = false;
    // Button
    bool is_default = false;
    // CheckBox, RadioBox
    bool checked = false;
    // ComboBox, ListBox
    QStringList items;
    int current = -1;
    // ListView
    QList<ColumnDesc> columns;
    bool grid_lines = false;
    bool full_row_select = false;
    bool drag_columns = false;
    // Timer
    int interval = 0;
    // TrayIcon
    QImage icon;
    QString tip;
    // ShapeBox
    std::optional<QColor> fill;
    std::optional<QColor> border;
};

struct MenuItemDesc {
    QString name;
    QString caption;
    QKeySequence shortcut;
    bool disabled = false;
    QString on_selected;  // handler name, may be empty
};

struct MenuDesc {
    QString caption;
    QList<MenuItemDesc> items;
};

struct WindowDesc {
    QString origin;  // file the description came from, for messages
    QString name;
    QString title;
    QSize size;  // the whole window: frame, caption and menu bar included
    bool minimize_box = false;
    bool esc_closes = false;
    bool taskbar = true;
    QImage background;
    QImage icon;
    QMap<QString, QString> events;
    QList<MenuDesc> menus;
    QList<ControlDesc> controls;

    // Every handler name the description binds, for the stub mode of tests.
    QStringList handler_names() const;

    // The client area the controls are placed in: the window size less a
    // classic frame (3 px a side), caption (26 px) and, with menus, the menu
    // bar (19 px). Our own frame and menu bar are drawn around it, so the
    // controls keep the positions the description gives them.
    QSize client_size() const;
};

using WindowDescPtr = std::shared_ptr<const WindowDesc>;

// Parses one description. With `stub_handlers`, a handler name that is not
// registered gets a handler that does nothing instead of refusing the file.
std::optional<WindowDesc> parse_description(const QByteArray& json, const QString& origin, bool stub_handlers,
                                            QString* error);
// The same for a document read already; `parse_error` is what reading it
// said, reported when the document is null.
std::optional<WindowDesc> parse_document(const QJsonDocument& doc, const QJsonParseError& parse_error,
                                         const QString& origin, bool stub_handlers, QString* error);

WindowDescPtr find_description(const QString& window);
void clear_descriptions();

// Runs a registered handler; false when none has that name.
[[nodiscard]] bool call_handler(const QString& name);
void clear_handlers();

}  // namespace ui::detail
