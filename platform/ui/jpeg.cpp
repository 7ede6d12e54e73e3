#include "platform/ui/jpeg.h"

#include <bit>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace ui {

namespace {

// A picture larger than this is not one of ours; refusing it keeps a damaged
// header from asking for gigabytes.
constexpr JDIMENSION kMaxSide = 8192;

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    int warnings = 0;
};

[[noreturn]] void on_error_exit(j_common_ptr info)
{
    auto* err = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, err->message);
    std::longjmp(err->jump, 1);
}

// libjpeg "recovers" from truncated or corrupt data with a warning and grey
// blocks; for our own pictures that is damage worth refusing.
void on_emit_message(j_common_ptr info, int level)
{
    auto* err = reinterpret_cast<ErrorManager*>(info->err);
    if (level < 0 && err->warnings++ == 0) {
        (*info->err->format_message)(info, err->message);
    }
}

void on_output_message(j_common_ptr) {}

// Owns the decompressor; plain C struct, so no C++ object lives across the
// longjmp.
struct Decompressor {
    jpeg_decompress_struct info{};
    ErrorManager err{};
    bool created = false;
    ~Decompressor()
    {
        if (created) {
            jpeg_destroy_decompress(&info);
        }
    }
};

// Everything that can longjmp runs in here, with only trivially destructible
// locals, so the jump skips no destructor.
bool run_decode(Decompressor& d, const QByteArray& data, QImage* image)
{
    d.info.err = jpeg_std_error(&d.err.base);
    d.err.base.error_exit = on_error_exit;
    d.err.base.emit_message = on_emit_message;
    d.err.base.output_message = on_output_message;
    if (setjmp(d.err.jump) != 0) {
        return false;
    }
    jpeg_create_decompress(&d.info);
    d.created = true;
    jpeg_mem_src(&d.info, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&d.info, TRUE);
    if (d.info.image_width == 0 || d.info.image_height == 0 || d.info.image_width > kMaxSide ||
        d.info.image_height > kMaxSide) {
        std::snprintf(d.err.message, sizeof d.err.message, "unsupported picture size %ux%u",
                      d.info.image_width, d.info.image_height);
        return false;
    }
    // Straight into the layout Qt paints from (32-bit 0xffRRGGBB in native
    // order), so nothing converts the picture again each time a window is
    // drawn; grey pictures come out the same way.
    d.info.out_color_space = std::endian::native == std::endian::little ? JCS_EXT_BGRA : JCS_EXT_ARGB;
    jpeg_start_decompress(&d.info);
    if (d.info.output_components != 4) {
        std::snprintf(d.err.message, sizeof d.err.message, "unsupported colour layout");
        return false;
    }
    // The image lives in the caller, so a jump out of a scan line skips no
    // destructor here.
    *image = QImage(static_cast<int>(d.info.output_width), static_cast<int>(d.info.output_height),
                    QImage::Format_RGB32);
    if (image->isNull()) {
        std::snprintf(d.err.message, sizeof d.err.message, "out of memory");
        return false;
    }
    while (d.info.output_scanline < d.info.output_height) {
        JSAMPROW row = image->scanLine(static_cast<int>(d.info.output_scanline));
        jpeg_read_scanlines(&d.info, &row, 1);
    }
    jpeg_finish_decompress(&d.info);
    return d.err.warnings == 0;
}

}  // namespace

std::optional<QImage> decode_jpeg(const QByteArray& data, QString* error)
{
    if (data.isEmpty()) {
        if (error) *error = QStringLiteral("empty picture");
        return std::nullopt;
    }
    Decompressor d;
    QImage image;
    if (!run_decode(d, data, &image)) {
        if (error) *error = QStringLiteral("broken JPEG: %1").arg(QString::fromLocal8Bit(d.err.message));
        return std::nullopt;
    }
    return image;
}

}  // namespace ui
