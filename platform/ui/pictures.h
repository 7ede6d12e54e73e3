// Pictures named by descriptions: JPEG files in the Qt resources, decoded once.
#pragma once

#include <QImage>
#include <QString>
#include <optional>

namespace ui::detail {

// Reads and decodes the picture at a resource path (":/pictures/x.jpg"). A
// missing or broken picture gives nullopt and says why in `error`.
std::optional<QImage> load_picture(const QString& path, QString* error);

}  // namespace ui::detail
