#include "assocman/state/tip.h"

#include "platform/ui/message.h"

namespace app {

void show_info(const QString& text)
{
    ui::message_box(text, ui::Buttons::ok, ui::Icon::information, QString::fromUtf8(kTipTitle));
}

void show_error(const QString& text)
{
    ui::message_box(text, ui::Buttons::ok, ui::Icon::stop, QString::fromUtf8(kTipTitle));
}

}  // namespace app
