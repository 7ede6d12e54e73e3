// What the windows ask of the desktop around them: its notification area, its
// browser and its clipboard.
#pragma once

#include <QString>

namespace ui {

// Whether the desktop has a notification area to show a tray icon in.
[[nodiscard]] bool tray_available();

// Hands `url` to the desktop's browser. True when the desktop took it; whether
// a browser then comes up is the desktop's business.
[[nodiscard]] bool open_url(const QString& url);

// Puts `text` on the clipboard. False when the program has no clipboard.
[[nodiscard]] bool set_clipboard_text(const QString& text);

}  // namespace ui
