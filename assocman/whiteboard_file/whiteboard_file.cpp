#include "assocman/whiteboard_file/whiteboard_file.h"

#include <QFile>
#include <optional>
#include <string>

#include "assocman/whiteboard_file/whiteboard_split.h"
#include "core/read_file.h"
#include "core/save_file.h"
#include "platform/text/gbk.h"

namespace whiteboard_file {
namespace {

QString to_qstring(std::string_view gbk) { return QString::fromStdString(text::from_gbk(gbk)); }

}  // namespace

Whiteboard read_whiteboard_bytes(std::string_view bytes)
{
    const WhiteboardSpans spans = split_whiteboard(bytes);
    Whiteboard board;
    if (spans.text.empty()) return board;
    board.text = to_qstring(spans.text);
    board.lines.reserve(static_cast<qsizetype>(spans.lines.size()));
    for (const std::string_view line : spans.lines) board.lines.append(to_qstring(line));
    return board;
}

Whiteboard read_whiteboard_file(const QString& path)
{
    // Anything but a regular file under the name is no whiteboard.
    const std::optional<std::string> bytes = assoc::read_regular_file(QFile::encodeName(path).toStdString());
    return bytes ? read_whiteboard_bytes(*bytes) : Whiteboard{};
}

bool write_whiteboard_file(const QString& path, const QStringList& lines)
{
    // The whole file is written beside the old one and only renamed into place
    // once it is safely on disk, so neither a crash nor a full disk leaves the
    // workspace half a whiteboard or an empty one.
    const std::string bytes = text::to_gbk(lines.join(QStringLiteral("\r\n")).toStdString());
    return assoc::save_whole_file(QFile::encodeName(path).toStdString(), bytes).ok;
}

}  // namespace whiteboard_file
