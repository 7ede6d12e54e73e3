// The parser of window descriptions: a JSON document in, a description with
// every value checked and every picture decoded out, or the first problem
// and where it is.
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>

#include "platform/ui/description.h"
#include "platform/ui/pictures.h"
#include "platform/ui/runtime.h"

namespace ui::detail {

namespace {

struct TypeInfo {
    ControlType type;
    QSet<QString> properties;
    QSet<QString> events;
    bool visual;
};

const QHash<QString, TypeInfo>& type_table()
{
    static const QHash<QString, TypeInfo> table = {
        {"TransLabel",
         {ControlType::TransLabel,
          {"align", "shadow", "hand_cursor"},
          {"on_left_button_down", "on_right_button_up"},
          true}},
        {"EditBox", {ControlType::EditBox, {"mode", "max_length", "multiline"}, {"on_focus"}, true}},
        {"Button", {ControlType::Button, {"default"}, {"on_click"}, true}},
        {"CheckBox", {ControlType::CheckBox, {"checked"}, {"on_click"}, true}},
        {"RadioBox", {ControlType::RadioBox, {"checked"}, {"on_click"}, true}},
        {"ComboBox", {ControlType::ComboBox, {"items", "current"}, {"on_selection_changed"}, true}},
        {"ListBox", {ControlType::ListBox, {"items"}, {"on_selection_changed"}, true}},
        {"ListView",
         {ControlType::ListView, {"columns", "grid_lines", "full_row_select", "drag_columns"}, {}, true}},
        {"Timer", {ControlType::Timer, {"interval"}, {"on_tick"}, false}},
        {"TrayIcon", {ControlType::TrayIcon, {"icon", "tip"}, {"on_double_click"}, false}},
        {"ShapeBox", {ControlType::ShapeBox, {"fill", "border"}, {}, true}},
        {"Line", {ControlType::Line, {}, {}, true}},
        {"DBConnection", {ControlType::DBConnection, {}, {}, false}},
        {"RecordSet", {ControlType::RecordSet, {}, {}, false}},
    };
    return table;
}

const QSet<QString> kCommonKeys = {"name",  "type",    "rect",     "text",     "font",
                                   "color", "visible", "disabled", "tab_stop", "events"};
const QSet<QString> kWindowKeys = {"window",     "title", "size",   "minimize_box", "esc_closes", "taskbar",
                                   "background", "icon",  "events", "menus",        "controls"};
const QSet<QString> kWindowEvents = {"on_created", "on_destroy", "on_moved", "on_resized"};

// Reads one description; the first problem stops it and is kept in `why`.
class Parser {
public:
    Parser(bool stub_handlers) : stub_(stub_handlers) {}

    std::optional<WindowDesc> parse(const QJsonObject& root);
    QString why;

private:
    bool fail(const QString& text)
    {
        if (why.isEmpty()) why = where_.isEmpty() ? text : where_ + ": " + text;
        return false;
    }

    bool keys_known(const QJsonObject& obj, const QSet<QString>& allowed, const QString& what);
    bool read_string(const QJsonObject& obj, const char* key, QString* out);
    bool read_bool(const QJsonObject& obj, const char* key, bool* out);
    bool read_int(const QJsonObject& obj, const char* key, int* out, int min, int max);
    bool read_color(const QJsonObject& obj, const char* key, std::optional<QColor>* out);
    bool read_align(const QJsonObject& obj, const char* key, Qt::Alignment* out);
    bool read_ints(const QJsonValue& value, const char* key, int count, QList<int>* out);
    bool read_events(const QJsonObject& obj, const QSet<QString>& allowed, QMap<QString, QString>* out);
    bool read_handler(const QString& name, const QString& event);
    bool read_picture(const QJsonObject& obj, const char* key, QImage* out);
    bool read_font(const QJsonObject& obj, std::optional<FontDesc>* out);
    bool read_items(const QJsonObject& obj, QStringList* out);
    bool read_columns(const QJsonObject& obj, QList<ColumnDesc>* out);
    bool read_control(const QJsonObject& obj, ControlDesc* out);
    bool read_menus(const QJsonArray& menus, QList<MenuDesc>* out);

    bool stub_;
    QString where_;
};

bool Parser::keys_known(const QJsonObject& obj, const QSet<QString>& allowed, const QString& what)
{
    for (auto it = obj.begin(); it != obj.end(); ++it) {
        if (!allowed.contains(it.key())) {
            return fail(QStringLiteral("unknown %1 \"%2\"").arg(what, it.key()));
        }
    }
    return true;
}

bool Parser::read_string(const QJsonObject& obj, const char* key, QString* out)
{
    const QJsonValue v = obj.value(QLatin1String(key));
    if (v.isUndefined()) return true;
    if (!v.isString()) return fail(QStringLiteral("\"%1\" must be a text").arg(key));
    *out = v.toString();
    return true;
}

bool Parser::read_bool(const QJsonObject& obj, const char* key, bool* out)
{
    const QJsonValue v = obj.value(QLatin1String(key));
    if (v.isUndefined()) return true;
    if (!v.isBool()) return fail(QStringLiteral("\"%1\" must be true or false").arg(key));
    *out = v.toBool();
    return true;
}

bool Parser::read_int(const QJsonObject& obj, const char* key, int* out, int min, int max)
{
    const QJsonValue v = obj.value(QLatin1String(key));
    if (v.isUndefined()) return true;
    const double d = v.toDouble(0.5);
    // The range first: casting a double that no integer holds is undefined.
    if (!v.isDouble() || !(d >= min && d <= max) || d != static_cast<double>(static_cast<long long>(d))) {
        return fail(QStringLiteral("\"%1\" must be a whole number from %2 to %3").arg(key).arg(min).arg(max));
    }
    *out = static_cast<int>(d);
    return true;
}

bool Parser::read_ints(const QJsonValue& value, const char* key, int count, QList<int>* out)
{
    const QJsonArray arr = value.toArray();
    if (!value.isArray() || arr.size() != count) {
        return fail(QStringLiteral("\"%1\" must be a list of %2 numbers").arg(key).arg(count));
    }
    for (const QJsonValue& v : arr) {
        const double d = v.toDouble(0.5);
        if (!v.isDouble() || !(d >= -100000 && d <= 100000) ||
            d != static_cast<double>(static_cast<long long>(d))) {
            return fail(QStringLiteral("\"%1\" must hold whole numbers").arg(key));
        }
        out->append(static_cast<int>(d));
    }
    return true;
}

bool Parser::read_color(const QJsonObject& obj, const char* key, std::optional<QColor>* out)
{
    static const QRegularExpression pattern(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
    QString text;
    if (!read_string(obj, key, &text)) return false;
    if (!obj.contains(QLatin1String(key))) return true;
    if (!pattern.match(text).hasMatch()) {
        return fail(QStringLiteral("\"%1\" must be a colour written #rrggbb").arg(key));
    }
    *out = QColor(text);
    return true;
}

bool Parser::read_align(const QJsonObject& obj, const char* key, Qt::Alignment* out)
{
    QString text = QStringLiteral("left");
    if (!read_string(obj, key, &text)) return false;
    if (text == "left") {
        *out = Qt::AlignLeft;
    } else if (text == "center") {
        *out = Qt::AlignHCenter;
    } else if (text == "right") {
        *out = Qt::AlignRight;
    } else {
        return fail(QStringLiteral("\"%1\" must be left, center or right").arg(key));
    }
    return true;
}

bool Parser::read_handler(const QString& name, const QString& event)
{
    if (name.isEmpty()) return fail(QStringLiteral("event \"%1\" names no handler").arg(event));
    if (has_handler(name)) return true;
    if (stub_) {
        register_handler(name, [] {});
        return true;
    }
    return fail(QStringLiteral("event \"%1\" names the unknown handler \"%2\"").arg(event, name));
}

bool Parser::read_events(const QJsonObject& obj, const QSet<QString>& allowed, QMap<QString, QString>* out)
{
    const QJsonValue v = obj.value(QLatin1String("events"));
    if (v.isUndefined()) return true;
    if (!v.isObject()) return fail(QStringLiteral("\"events\" must be an object"));
    const QJsonObject events = v.toObject();
    for (auto it = events.begin(); it != events.end(); ++it) {
        if (!allowed.contains(it.key())) return fail(QStringLiteral("unknown event \"%1\"").arg(it.key()));
        if (!it.value().isString())
            return fail(QStringLiteral("event \"%1\" must name a handler").arg(it.key()));
        if (!read_handler(it.value().toString(), it.key())) return false;
        out->insert(it.key(), it.value().toString());
    }
    return true;
}

bool Parser::read_picture(const QJsonObject& obj, const char* key, QImage* out)
{
    QString path;
    if (!read_string(obj, key, &path)) return false;
    if (!obj.contains(QLatin1String(key))) return true;
    QString error;
    auto image = load_picture(path, &error);
    if (!image) return fail(error);
    *out = *image;
    return true;
}

bool Parser::read_font(const QJsonObject& obj, std::optional<FontDesc>* out)
{
    const QJsonValue v = obj.value(QLatin1String("font"));
    if (v.isUndefined()) return true;
    if (!v.isObject()) return fail(QStringLiteral("\"font\" must be an object"));
    const QJsonObject font = v.toObject();
    if (!keys_known(font, {"face", "height", "weight"}, QStringLiteral("font key"))) return false;
    FontDesc desc;
    if (!read_string(font, "face", &desc.face) || !read_int(font, "height", &desc.height, 1, 1000) ||
        !read_int(font, "weight", &desc.weight, 100, 900)) {
        return false;
    }
    *out = desc;
    return true;
}

bool Parser::read_items(const QJsonObject& obj, QStringList* out)
{
    const QJsonValue v = obj.value(QLatin1String("items"));
    if (v.isUndefined()) return true;
    if (!v.isArray()) return fail(QStringLiteral("\"items\" must be a list of texts"));
    for (const QJsonValue& item : v.toArray()) {
        if (!item.isString()) return fail(QStringLiteral("\"items\" must be a list of texts"));
        out->append(item.toString());
    }
    return true;
}

bool Parser::read_columns(const QJsonObject& obj, QList<ColumnDesc>* out)
{
    const QJsonValue v = obj.value(QLatin1String("columns"));
    if (v.isUndefined()) return true;
    if (!v.isArray()) return fail(QStringLiteral("\"columns\" must be a list"));
    for (const QJsonValue& item : v.toArray()) {
        if (!item.isObject()) return fail(QStringLiteral("a column must be an object"));
        const QJsonObject col = item.toObject();
        if (!keys_known(col, {"title", "width", "align"}, QStringLiteral("column key"))) return false;
        ColumnDesc c;
        if (!read_string(col, "title", &c.title) || !read_int(col, "width", &c.width, 0, 10000) ||
            !read_align(col, "align", &c.align)) {
            return false;
        }
        out->append(c);
    }
    return true;
}

bool Parser::read_control(const QJsonObject& obj, ControlDesc* c)
{
    QString type_name;
    if (!read_string(obj, "type", &type_name)) return false;
    const auto& table = type_table();
    const auto type = table.constFind(type_name);
    if (type == table.constEnd()) return fail(QStringLiteral("unknown control type \"%1\"").arg(type_name));
    c->type = type->type;

    for (auto it = obj.begin(); it != obj.end(); ++it) {
        if (!kCommonKeys.contains(it.key()) && !type->properties.contains(it.key())) {
            return fail(QStringLiteral("unknown property \"%1\" of a %2").arg(it.key(), type_name));
        }
    }
    if (!obj.contains(QLatin1String("rect"))) {
        if (type->visual) return fail(QStringLiteral("\"rect\" is missing"));
    } else {
        QList<int> r;
        if (!read_ints(obj.value(QLatin1String("rect")), "rect", 4, &r)) return false;
        if (r[2] < 0 || r[3] < 0) return fail(QStringLiteral("\"rect\" has a negative size"));
        c->rect = QRect(r[0], r[1], r[2], r[3]);
    }
    if (!read_string(obj, "text", &c->text) || !read_font(obj, &c->font) ||
        !read_color(obj, "color", &c->color) || !read_bool(obj, "visible", &c->visible) ||
        !read_bool(obj, "disabled", &c->disabled) || !read_bool(obj, "tab_stop", &c->tab_stop) ||
        !read_events(obj, type->events, &c->events)) {
        return false;
    }

    switch (c->type) {
        case ControlType::TransLabel: {
            if (!read_align(obj, "align", &c->align) || !read_bool(obj, "hand_cursor", &c->hand_cursor))
                return false;
            const QJsonValue shadow = obj.value(QLatin1String("shadow"));
            if (shadow.isBool()) {
                if (shadow.toBool()) c->shadow = QPoint(1, 1);
            } else if (!shadow.isUndefined()) {
                QList<int> d;
                if (!read_ints(shadow, "shadow", 2, &d)) {
                    why.clear();
                    return fail(QStringLiteral("\"shadow\" must be true, false or [dx, dy]"));
                }
                c->shadow = QPoint(d[0], d[1]);
            }
            break;
        }
        case ControlType::EditBox: {
            QString mode = QStringLiteral("normal");
            if (!read_string(obj, "mode", &mode) ||
                !read_int(obj, "max_length", &c->max_length, 0, 1 << 20) ||
                !read_bool(obj, "multiline", &c->multiline)) {
                return false;
            }
            static const QHash<QString, EditMode> modes = {{"normal", EditMode::Normal},
                                                           {"readonly", EditMode::ReadOnly},
                                                           {"integer", EditMode::Integer},
                                                           {"password", EditMode::Password}};
            if (!modes.contains(mode)) {
                return fail(QStringLiteral("\"mode\" must be normal, readonly, integer or password"));
            }
            c->mode = modes.value(mode);
            break;
        }
        case ControlType::Button:
            if (!read_bool(obj, "default", &c->is_default)) return false;
            break;
        case ControlType::CheckBox:
        case ControlType::RadioBox:
            if (!read_bool(obj, "checked", &c->checked)) return false;
            break;
        case ControlType::ComboBox:
        case ControlType::ListBox:
            if (!read_items(obj, &c->items) ||
                !read_int(obj, "current", &c->current, -1, static_cast<int>(c->items.size()) - 1)) {
                return false;
            }
            break;
        case ControlType::ListView:
            if (!read_columns(obj, &c->columns) || !read_bool(obj, "grid_lines", &c->grid_lines) ||
                !read_bool(obj, "full_row_select", &c->full_row_select) ||
                !read_bool(obj, "drag_columns", &c->drag_columns)) {
                return false;
            }
            break;
        case ControlType::Timer:
            if (!read_int(obj, "interval", &c->interval, 0, 24 * 3600 * 1000)) return false;
            break;
        case ControlType::TrayIcon:
            if (!read_picture(obj, "icon", &c->icon) || !read_string(obj, "tip", &c->tip)) return false;
            break;
        case ControlType::ShapeBox:
            if (!read_color(obj, "fill", &c->fill) || !read_color(obj, "border", &c->border)) return false;
            break;
        case ControlType::Line:
        case ControlType::DBConnection:
        case ControlType::RecordSet:
            break;
    }
    return true;
}

bool Parser::read_menus(const QJsonArray& menus, QList<MenuDesc>* out)
{
    for (const QJsonValue& mv : menus) {
        if (!mv.isObject()) return fail(QStringLiteral("a menu must be an object"));
        const QJsonObject m = mv.toObject();
        if (!keys_known(m, {"caption", "items"}, QStringLiteral("menu key"))) return false;
        MenuDesc menu;
        if (!read_string(m, "caption", &menu.caption)) return false;
        const QJsonValue items = m.value(QLatin1String("items"));
        if (!items.isUndefined() && !items.isArray()) return fail(QStringLiteral("\"items\" must be a list"));
        for (const QJsonValue& iv : items.toArray()) {
            if (!iv.isObject()) return fail(QStringLiteral("a menu item must be an object"));
            const QJsonObject i = iv.toObject();
            MenuItemDesc item;
            QString shortcut;
            if (!keys_known(i, {"name", "caption", "shortcut", "disabled", "events"},
                            QStringLiteral("menu item key")) ||
                !read_string(i, "name", &item.name) || !read_string(i, "caption", &item.caption) ||
                !read_string(i, "shortcut", &shortcut) || !read_bool(i, "disabled", &item.disabled)) {
                return false;
            }
            if (!shortcut.isEmpty()) {
                item.shortcut = QKeySequence::fromString(shortcut, QKeySequence::PortableText);
                if (item.shortcut.isEmpty() || item.shortcut.count() != 1 ||
                    item.shortcut[0].key() == Qt::Key_unknown) {
                    return fail(QStringLiteral("menu item \"%1\": unknown shortcut \"%2\"")
                                    .arg(item.caption, shortcut));
                }
            }
            QMap<QString, QString> events;
            if (!read_events(i, {"on_selected"}, &events)) return false;
            item.on_selected = events.value(QStringLiteral("on_selected"));
            menu.items.append(item);
        }
        out->append(menu);
    }
    return true;
}

std::optional<WindowDesc> Parser::parse(const QJsonObject& root)
{
    WindowDesc w;
    if (!keys_known(root, kWindowKeys, QStringLiteral("window key"))) return std::nullopt;
    if (!read_string(root, "window", &w.name)) return std::nullopt;
    if (w.name.isEmpty()) {
        fail(QStringLiteral("\"window\" (the window's name) is missing"));
        return std::nullopt;
    }
    QList<int> size;
    if (!root.contains(QLatin1String("size"))) {
        fail(QStringLiteral("\"size\" is missing"));
        return std::nullopt;
    }
    if (!read_ints(root.value(QLatin1String("size")), "size", 2, &size)) return std::nullopt;
    if (size[0] <= 0 || size[1] <= 0) {
        fail(QStringLiteral("\"size\" must be positive"));
        return std::nullopt;
    }
    w.size = QSize(size[0], size[1]);
    if (!read_string(root, "title", &w.title) || !read_bool(root, "minimize_box", &w.minimize_box) ||
        !read_bool(root, "esc_closes", &w.esc_closes) || !read_bool(root, "taskbar", &w.taskbar) ||
        !read_picture(root, "background", &w.background) || !read_picture(root, "icon", &w.icon) ||
        !read_events(root, kWindowEvents, &w.events)) {
        return std::nullopt;
    }

    // Controls and menu items share one set of names: handlers reach both
    // the same way.
    QSet<QString> names;
    const QJsonValue menus = root.value(QLatin1String("menus"));
    if (!menus.isUndefined() && !menus.isArray()) {
        fail(QStringLiteral("\"menus\" must be a list"));
        return std::nullopt;
    }
    if (!read_menus(menus.toArray(), &w.menus)) return std::nullopt;
    for (const MenuDesc& m : w.menus) {
        for (const MenuItemDesc& i : m.items) {
            if (i.name.isEmpty()) continue;
            if (names.contains(i.name)) {
                fail(QStringLiteral("the name \"%1\" is used twice").arg(i.name));
                return std::nullopt;
            }
            names.insert(i.name);
        }
    }

    const QJsonValue controls = root.value(QLatin1String("controls"));
    if (!controls.isUndefined() && !controls.isArray()) {
        fail(QStringLiteral("\"controls\" must be a list"));
        return std::nullopt;
    }
    bool has_default = false;
    for (const QJsonValue& cv : controls.toArray()) {
        if (!cv.isObject()) {
            fail(QStringLiteral("a control must be an object"));
            return std::nullopt;
        }
        const QJsonObject obj = cv.toObject();
        ControlDesc c;
        if (!read_string(obj, "name", &c.name)) return std::nullopt;
        if (c.name.isEmpty()) {
            fail(QStringLiteral("a control has no name"));
            return std::nullopt;
        }
        where_ = QStringLiteral("control \"%1\"").arg(c.name);
        if (names.contains(c.name)) {
            fail(QStringLiteral("the name is used twice"));
            return std::nullopt;
        }
        names.insert(c.name);
        if (!read_control(obj, &c)) return std::nullopt;
        if (c.is_default) {
            if (has_default) {
                fail(QStringLiteral("a second default button"));
                return std::nullopt;
            }
            has_default = true;
        }
        w.controls.append(c);
        where_.clear();
    }
    return w;
}

}  // namespace

QSize WindowDesc::client_size() const
{
    constexpr int kBorder = 3, kCaption = 26, kMenuBar = 19;
    const int menu = menus.isEmpty() ? 0 : kMenuBar;
    return QSize(std::max(1, size.width() - 2 * kBorder),
                 std::max(1, size.height() - kCaption - 2 * kBorder - menu));
}

QStringList WindowDesc::handler_names() const
{
    QStringList out = events.values();
    for (const MenuDesc& m : menus) {
        for (const MenuItemDesc& i : m.items) {
            if (!i.on_selected.isEmpty()) out.append(i.on_selected);
        }
    }
    for (const ControlDesc& c : controls) out.append(c.events.values());
    out.removeDuplicates();
    return out;
}

std::optional<WindowDesc> parse_document(const QJsonDocument& doc, const QJsonParseError& parse_error,
                                         const QString& origin, bool stub_handlers, QString* error)
{
    if (doc.isNull()) {
        if (error) {
            *error = QStringLiteral("%1: not valid JSON at offset %2: %3")
                         .arg(origin)
                         .arg(parse_error.offset)
                         .arg(parse_error.errorString());
        }
        return std::nullopt;
    }
    if (!doc.isObject()) {
        if (error) *error = QStringLiteral("%1: a description must be a JSON object").arg(origin);
        return std::nullopt;
    }
    Parser parser(stub_handlers);
    auto desc = parser.parse(doc.object());
    if (!desc) {
        if (error) *error = origin + ": " + parser.why;
        return std::nullopt;
    }
    desc->origin = origin;
    return desc;
}

std::optional<WindowDesc> parse_description(const QByteArray& json, const QString& origin, bool stub_handlers,
                                            QString* error)
{
    QJsonParseError parse_error{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parse_error);
    return parse_document(doc, parse_error, origin, stub_handlers, error);
}

}  // namespace ui::detail
