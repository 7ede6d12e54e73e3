#include "platform/ui/pictures.h"

#include <QFile>

#include "platform/ui/jpeg.h"

namespace ui::detail {

namespace {

DecodedPicture read_and_decode(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {std::nullopt, QStringLiteral("picture \"%1\" not found").arg(path)};
    }
    QString why;
    auto image = decode_jpeg(file.readAll(), &why);
    if (!image) return {std::nullopt, QStringLiteral("picture \"%1\": %2").arg(path, why)};
    return {std::move(image), QString()};
}

// Several windows share one background; decode it once.
QHash<QString, QImage>& cache()
{
    static QHash<QString, QImage> pictures;
    return pictures;
}

DecodedPictures& offered()
{
    static DecodedPictures pictures;
    return pictures;
}

}  // namespace

std::optional<QImage> load_picture(const QString& path, QString* error)
{
    if (auto it = cache().constFind(path); it != cache().constEnd()) {
        return *it;
    }
    const auto it = offered().constFind(path);
    const DecodedPicture decoded = it != offered().constEnd() ? *it : read_and_decode(path);
    if (!decoded.image) {
        if (error) *error = decoded.error;
        return std::nullopt;
    }
    cache().insert(path, *decoded.image);
    return decoded.image;
}

DecodedPictures decode_pictures(const QStringList& paths)
{
    DecodedPictures decoded;
    for (const QString& path : paths) {
        if (!decoded.contains(path)) decoded.insert(path, read_and_decode(path));
    }
    return decoded;
}

void offer_pictures(DecodedPictures pictures) { offered() = std::move(pictures); }

void withdraw_pictures() { offered().clear(); }

}  // namespace ui::detail
