// Reading a folder of window descriptions, and decoding the pictures they
// name, ahead of checking them.
#include "platform/ui/read_ahead.h"

#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>

#include "platform/ui/runtime.h"

namespace ui {

namespace {

// The pictures a description names, where it names them: the window's
// background and icon and the controls' icons.
QStringList picture_paths(const QJsonDocument& doc)
{
    QStringList paths;
    const QJsonObject root = doc.object();
    const auto add = [&paths](const QJsonObject& obj, const char* key) {
        const QJsonValue v = obj.value(QLatin1String(key));
        if (v.isString()) paths.append(v.toString());
    };
    add(root, "background");
    add(root, "icon");
    for (const QJsonValue& control : root.value(QLatin1String("controls")).toArray()) {
        add(control.toObject(), "icon");
    }
    return paths;
}

}  // namespace

DescriptionsRead read_descriptions(const QString& resource_dir)
{
    QStringList files;
    QDirIterator it(resource_dir, {QStringLiteral("*.json")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) files.append(it.next());
    files.sort();
    detail::FolderRead folder;
    QStringList pictures;
    for (const QString& path : files) {
        detail::DescriptionFile source;
        source.path = path;
        QFile file(path);
        source.readable = file.open(QIODevice::ReadOnly);
        if (source.readable) {
            source.doc = QJsonDocument::fromJson(file.readAll(), &source.parse_error);
            for (const QString& picture : picture_paths(source.doc)) {
                if (!pictures.contains(picture)) pictures.append(picture);
            }
        }
        folder.files.append(std::move(source));
    }
    folder.pictures = detail::decode_pictures(pictures);
    return std::make_shared<const detail::FolderRead>(std::move(folder));
}

}  // namespace ui
