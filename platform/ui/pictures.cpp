#include "platform/ui/pictures.h"

#include <QFile>
#include <QHash>

#include "platform/ui/jpeg.h"

namespace ui::detail {

std::optional<QImage> load_picture(const QString& path, QString* error)
{
    // Several windows share one background; decode it once.
    static QHash<QString, QImage> cache;
    if (auto it = cache.constFind(path); it != cache.constEnd()) {
        return *it;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("picture \"%1\" not found").arg(path);
        return std::nullopt;
    }
    QString why;
    auto image = decode_jpeg(file.readAll(), &why);
    if (!image) {
        if (error) *error = QStringLiteral("picture \"%1\": %2").arg(path, why);
        return std::nullopt;
    }
    cache.insert(path, *image);
    return image;
}

}  // namespace ui::detail
