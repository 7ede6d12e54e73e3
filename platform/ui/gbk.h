// GBK byte counts for the edit boxes' maximum length. The platform keeps its
// own tiny helper so it depends on nothing of the programs above it.
#pragma once

#include <QString>

namespace ui::detail {

// Bytes the text takes in GBK (GB18030): ASCII one, a Chinese character two.
qsizetype gbk_length(const QString& text);

}  // namespace ui::detail
