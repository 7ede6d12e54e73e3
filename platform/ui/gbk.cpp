#include "platform/ui/gbk.h"

#include <QStringEncoder>

namespace ui::detail {

qsizetype gbk_length(const QString& text)
{
    QStringEncoder encoder("GB18030");
    if (encoder.isValid()) {
        const QByteArray bytes = encoder.encode(text);
        return bytes.size();
    }
    // Qt without ICU: every non-ASCII character of a Chinese text is two bytes.
    qsizetype n = 0;
    for (QChar c : text) {
        if (c.isLowSurrogate()) continue;
        n += c.unicode() < 0x80 ? 1 : 2;
    }
    return n;
}

}  // namespace ui::detail
