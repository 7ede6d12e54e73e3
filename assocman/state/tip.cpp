#include "assocman/state/tip.h"

#include "platform/ui/message.h"

namespace app {

void show_tip(const QString& text, bool stop)
{
    ui::message_box(text, ui::MB_OK | (stop ? ui::MB_ICONSTOP : ui::MB_ICONINFORMATION),
                    QString::fromUtf8(kTipTitle));
}

}  // namespace app
