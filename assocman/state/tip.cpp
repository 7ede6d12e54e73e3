#include "assocman/state/tip.h"

#include "platform/ui/message.h"

namespace app {

void show_tip(const QString& text, bool stop)
{
    ui::message_box(text, ui::Buttons::ok, stop ? ui::Icon::stop : ui::Icon::information,
                    QString::fromUtf8(kTipTitle));
}

}  // namespace app
