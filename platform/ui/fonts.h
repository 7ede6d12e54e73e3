// Font faces of the descriptions are Windows faces; they are drawn with the
// installed CJK fonts of the same style, always in their Simplified Chinese
// variants so no caption comes out in Japanese glyph forms.
#pragma once

#include <QFont>
#include <QString>

#include "platform/ui/description.h"

namespace ui::detail {

inline constexpr const char* kSansFamily = "Noto Sans CJK SC";
inline constexpr const char* kSerifFamily = "Noto Serif CJK SC";
inline constexpr const char* kKaiFamily = "AR PL UKai CN";
// Character height of text in controls whose description sets no font.
inline constexpr int kDefaultPixelSize = 12;

// The installed family that draws a description face.
QString family_for_face(const QString& face);
QFont description_font(const FontDesc& desc);
QFont default_font();
// Registers the faces the descriptions use as substitutions, for text that
// names a face directly.
void install_font_substitutions();

// Qt reads the font configuration (fontconfig's files and its font caches,
// several milliseconds) the first time a text needs a font, on the
// user-interface thread. Run ahead on a thread of its own, beside the start of
// the application, this reads it first, so Qt finds it done. It runs only
// fontconfig, nothing of Qt; fontconfig keeps the one configuration the first
// caller loaded, whichever thread that was.
void read_font_configuration();

}  // namespace ui::detail
