// Draws the program's pictures: two calm abstract backgrounds and the icon.
// Not part of the build; run it by hand when a picture is to change:
//
//   g++ -std=c++20 -O2 scripts/make-pictures.cpp -ljpeg -o /tmp/make-pictures
//   /tmp/make-pictures assocman/forms/pictures
//
// Everything is computed, so the same program always gives the same files.
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
// clang-format off
#include <jpeglib.h>
// clang-format on

namespace {

struct Rgb {
    double r, g, b;
};

Rgb mix(Rgb a, Rgb b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

double smoothstep(double e0, double e1, double x)
{
    double t = (x - e0) / (e1 - e0);
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    return t * t * (3 - 2 * t);
}

// A round light: full strength inside, fading to nothing at the edge over
// `softness` of its radius (1 fades all the way from the middle).
struct Blob {
    double x, y, radius;  // fractions of the picture's width
    Rgb color;
    double strength;
    double softness = 1.0;
};

// A gentle band that waves across the picture.
struct Wave {
    double base, amplitude, period, phase, thickness;  // fractions of height / width
    Rgb color;
    double strength;
};

struct Design {
    Rgb top_left, top_right, bottom_left, bottom_right;
    std::vector<Blob> blobs;
    std::vector<Wave> waves;
};

Rgb shade(const Design& d, double u, double v, double aspect)
{
    Rgb c = mix(mix(d.top_left, d.top_right, u), mix(d.bottom_left, d.bottom_right, u), v);
    for (const Wave& w : d.waves) {
        const double centre = w.base + w.amplitude * std::sin(2 * M_PI * (u / w.period + w.phase));
        const double dist = std::fabs(v - centre);
        c = mix(c, w.color, w.strength * (1 - smoothstep(0, w.thickness, dist)));
    }
    for (const Blob& b : d.blobs) {
        const double dx = u - b.x;
        const double dy = (v - b.y) / aspect;
        const double dist = std::sqrt(dx * dx + dy * dy);
        c = mix(c, b.color, b.strength * (1 - smoothstep(b.radius * (1 - b.softness), b.radius, dist)));
    }
    return c;
}

unsigned char channel(double value)
{
    const double v = std::round(value);
    return static_cast<unsigned char>(v < 0 ? 0 : v > 255 ? 255 : v);
}

bool write_jpeg(const std::string& path, int width, int height, const Design& d, int quality)
{
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) {
        std::perror(path.c_str());
        return false;
    }
    jpeg_compress_struct info{};
    jpeg_error_mgr err{};
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, out);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.optimize_coding = TRUE;
    jpeg_start_compress(&info, TRUE);

    const double aspect = static_cast<double>(width) / height;
    std::vector<unsigned char> row(static_cast<size_t>(width) * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double u = (x + 0.5) / width;
            const double v = (y + 0.5) / height;
            const Rgb c = shade(d, u, v, aspect);
            // Ordered dither of a quarter step keeps the wide gradients
            // from banding without adding noise the encoder would keep.
            const double dither = (((x & 1) ^ (y & 1)) ? 0.25 : -0.25);
            row[static_cast<size_t>(x) * 3 + 0] = channel(c.r + dither);
            row[static_cast<size_t>(x) * 3 + 1] = channel(c.g + dither);
            row[static_cast<size_t>(x) * 3 + 2] = channel(c.b + dither);
        }
        JSAMPROW line = row.data();
        jpeg_write_scanlines(&info, &line, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(out);
    return true;
}

// Login window and workspace: a pale morning sky over soft green, light
// enough for coloured captions to stand out.
Design background()
{
    Design d;
    d.top_left = {214, 232, 246};
    d.top_right = {230, 238, 250};
    d.bottom_left = {226, 242, 230};
    d.bottom_right = {238, 246, 236};
    d.waves = {
        {0.70, 0.05, 1.3, 0.10, 0.10, {196, 226, 214}, 0.55},
        {0.80, 0.04, 0.9, 0.55, 0.07, {250, 252, 250}, 0.45},
    };
    d.blobs = {
        {0.12, 0.18, 0.22, {255, 255, 255}, 0.55},
        {0.86, 0.12, 0.18, {206, 222, 244}, 0.50},
        {0.70, 0.55, 0.26, {246, 240, 226}, 0.35},
        {0.28, 0.88, 0.20, {204, 232, 214}, 0.45},
    };
    return d;
}

// Feature windows: a quiet blue turning to lavender.
Design feature()
{
    Design d;
    d.top_left = {196, 220, 240};
    d.top_right = {214, 222, 242};
    d.bottom_left = {222, 216, 240};
    d.bottom_right = {236, 226, 242};
    d.waves = {
        {0.35, 0.06, 1.6, 0.30, 0.12, {230, 238, 250}, 0.45},
        {0.78, 0.05, 1.1, 0.80, 0.09, {214, 204, 236}, 0.40},
    };
    d.blobs = {
        {0.20, 0.25, 0.20, {250, 252, 255}, 0.50},
        {0.80, 0.30, 0.16, {226, 214, 244}, 0.45},
        {0.55, 0.85, 0.24, {246, 242, 250}, 0.45},
        {0.05, 0.90, 0.14, {200, 224, 236}, 0.40},
    };
    return d;
}

// The icon: an olive disc with a light on it, on deep teal-blue; edges kept
// firm so it still reads at 16 pixels.
Design icon()
{
    Design d;
    d.top_left = {40, 96, 150};
    d.top_right = {52, 116, 164};
    d.bottom_left = {34, 112, 112};
    d.bottom_right = {46, 134, 120};
    d.blobs = {
        {0.50, 0.50, 0.42, {236, 242, 226}, 1.0, 0.10},
        {0.50, 0.50, 0.36, {132, 164, 92}, 1.0, 0.12},
        {0.42, 0.40, 0.17, {244, 250, 232}, 0.9, 0.7},
    };
    return d;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string dir = argc > 1 ? argv[1] : ".";
    bool ok = write_jpeg(dir + "/background.jpg", 1024, 708, background(), 86);
    ok = write_jpeg(dir + "/feature.jpg", 1280, 960, feature(), 86) && ok;
    ok = write_jpeg(dir + "/icon.jpg", 32, 32, icon(), 92) && ok;
    return ok ? 0 : 1;
}
