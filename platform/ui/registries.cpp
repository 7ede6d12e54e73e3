// The handlers by name and the descriptions by window name, and the loading
// that fills the second: a folder is taken whole or not at all.
#include <QHash>
#include <QMap>
#include <QScopeGuard>

#include "platform/ui/description.h"
#include "platform/ui/pictures.h"
#include "platform/ui/read_ahead.h"
#include "platform/ui/runtime.h"

namespace ui {

namespace detail {

namespace {

QHash<QString, Handler>& handlers()
{
    static QHash<QString, Handler> map;
    return map;
}

QMap<QString, WindowDescPtr>& descriptions()
{
    static QMap<QString, WindowDescPtr> map;
    return map;
}

}  // namespace

WindowDescPtr find_description(const QString& window) { return descriptions().value(window); }

void clear_descriptions() { descriptions().clear(); }

bool call_handler(const QString& name)
{
    const auto it = handlers().constFind(name);
    if (it == handlers().constEnd() || !*it) return false;
    // A copy, so a handler that re-registers its own name stays alive.
    Handler fn = *it;
    fn();
    return true;
}

void clear_handlers() { handlers().clear(); }

}  // namespace detail

void register_handler(const QString& name, Handler fn) { detail::handlers().insert(name, std::move(fn)); }

bool has_handler(const QString& name) { return detail::handlers().contains(name); }

bool add_description(const QByteArray& json, const QString& origin, QString* error)
{
    auto desc = detail::parse_description(json, origin, false, error);
    if (!desc) return false;
    if (detail::descriptions().contains(desc->name)) {
        if (error)
            *error = QStringLiteral("%1: the window \"%2\" is described twice").arg(origin, desc->name);
        return false;
    }
    const QString name = desc->name;
    detail::descriptions().insert(name, std::make_shared<const detail::WindowDesc>(std::move(*desc)));
    return true;
}

bool load_descriptions(const QString& resource_dir, QString* error, bool stub_handlers,
                       const DescriptionsRead& read_ahead)
{
    const DescriptionsRead folder = read_ahead ? read_ahead : read_descriptions(resource_dir);
    if (folder->files.isEmpty()) {
        if (error) *error = QStringLiteral("%1: no window descriptions found").arg(resource_dir);
        return false;
    }
    // Each picture is still checked where its description names it, and the
    // first problem in file order is the one reported.
    detail::offer_pictures(folder->pictures);
    const auto withdraw = qScopeGuard([] { detail::withdraw_pictures(); });

    // All or nothing: a folder with one bad file adds no window at all.
    QMap<QString, detail::WindowDescPtr> parsed;
    for (const detail::DescriptionFile& source : folder->files) {
        const QString& path = source.path;
        if (!source.readable) {
            if (error) *error = QStringLiteral("%1: cannot be read").arg(path);
            return false;
        }
        auto desc = detail::parse_document(source.doc, source.parse_error, path, stub_handlers, error);
        if (!desc) return false;
        if (parsed.contains(desc->name) || detail::descriptions().contains(desc->name)) {
            if (error)
                *error = QStringLiteral("%1: the window \"%2\" is described twice").arg(path, desc->name);
            return false;
        }
        const QString name = desc->name;
        parsed.insert(name, std::make_shared<const detail::WindowDesc>(std::move(*desc)));
    }
    detail::descriptions().insert(parsed);
    return true;
}

bool has_description(const QString& window) { return detail::descriptions().contains(window); }

QStringList description_names() { return detail::descriptions().keys(); }

}  // namespace ui
