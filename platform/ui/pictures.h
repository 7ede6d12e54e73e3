// Pictures named by descriptions: JPEG files in the Qt resources, decoded once.
#pragma once

#include <QHash>
#include <QImage>
#include <QString>
#include <QStringList>
#include <optional>

namespace ui::detail {

// Reads and decodes the picture at a resource path (":/pictures/x.jpg"). A
// missing or broken picture gives nullopt and says why in `error`.
std::optional<QImage> load_picture(const QString& path, QString* error);

// What load_picture() comes to for one path: the picture, or why not.
struct DecodedPicture {
    std::optional<QImage> image;
    QString error;
};
using DecodedPictures = QHash<QString, DecodedPicture>;

// Reads and decodes pictures, one after another, as load_picture() would.
// Any thread may call it.
DecodedPictures decode_pictures(const QStringList& paths);

// Until withdrawn, load_picture() takes a picture it does not have yet from
// these instead of decoding it again: the same picture, or the same error.
// Only on the thread that loads the descriptions.
void offer_pictures(DecodedPictures pictures);
void withdraw_pictures();

}  // namespace ui::detail
