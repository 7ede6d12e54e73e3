#include "platform/ui/desktop.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QSystemTrayIcon>
#include <QUrl>

namespace ui {

bool tray_available() { return QSystemTrayIcon::isSystemTrayAvailable(); }

bool open_url(const QString& url) { return QDesktopServices::openUrl(QUrl(url)); }

bool set_clipboard_text(const QString& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return false;
    clipboard->setText(text, QClipboard::Clipboard);
    return true;
}

}  // namespace ui
