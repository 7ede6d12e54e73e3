// The notification-area icon of a window.
#include <QSystemTrayIcon>

#include "platform/ui/runtime.h"
#include "platform/ui/window.h"

namespace ui {

namespace detail {

void build_tray_icon(FormWindow* window, Control& control, const ControlDesc& desc)
{
    auto* tray = new QSystemTrayIcon(window);
    QImage picture = desc.icon.isNull() ? window->desc().icon : desc.icon;
    if (picture.isNull()) {
        // A tray icon without a picture would be an invisible hole.
        picture = QImage(32, 32, QImage::Format_RGB32);
        picture.fill(QColor(123, 158, 189));
    }
    tray->setIcon(QIcon(QPixmap::fromImage(picture)));
    tray->setToolTip(desc.tip);
    const QString handler = desc.events.value(QStringLiteral("on_double_click"));
    QPointer<FormWindow> guard(window);
    QObject::connect(tray, &QSystemTrayIcon::activated, tray,
                     [guard, handler](QSystemTrayIcon::ActivationReason why) {
                         if (why == QSystemTrayIcon::DoubleClick && guard) run_handler(guard, handler);
                     });
    control.tray = tray;
    control.tray_shown = false;  // hidden when the window opens
}

}  // namespace detail

void show_tray_icon(const QString& window, const QString& control)
{
    detail::Control* c = detail::find_control(window, control);
    if (!c || !c->tray) return;
    c->tray->show();
    c->tray_shown = true;
}

void hide_tray_icon(const QString& window, const QString& control)
{
    detail::Control* c = detail::find_control(window, control);
    if (!c || !c->tray) return;
    c->tray->hide();
    c->tray_shown = false;
}

bool is_tray_icon_shown(const QString& window, const QString& control)
{
    const detail::Control* c = detail::find_control(window, control);
    return c && c->tray && c->tray_shown;
}

}  // namespace ui
