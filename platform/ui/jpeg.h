// JPEG decoding through libjpeg. A broken picture is an error value, never a
// crash: libjpeg's fatal errors come back through setjmp.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <optional>

namespace ui {

// Decodes a baseline or progressive JPEG (grey or colour) into an opaque
// 32-bit image (QImage::Format_RGB32).
// Corrupt or truncated data is refused, with the reason in `error`.
std::optional<QImage> decode_jpeg(const QByteArray& data, QString* error);

}  // namespace ui
