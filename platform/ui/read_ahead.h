// A folder of window descriptions as read_descriptions() leaves it: every
// file read and every picture they name decoded, nothing checked yet, so the
// reading can run ahead on a thread of its own and load_descriptions() still
// checks and reports it all on the thread that starts the runtime.
#pragma once

#include <QJsonDocument>
#include <QList>
#include <QString>

#include "platform/ui/pictures.h"

namespace ui::detail {

// One description file as read. A file that cannot be read or is not JSON
// is kept as such, for load_descriptions() to report in its turn.
struct DescriptionFile {
    QString path;
    bool readable = false;
    QJsonDocument doc;
    QJsonParseError parse_error{};
};

// A folder's description files in name order, and the pictures they name.
struct FolderRead {
    QList<DescriptionFile> files;
    DecodedPictures pictures;
};

}  // namespace ui::detail
