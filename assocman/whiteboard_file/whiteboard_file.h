// The whiteboard file: announcement lines kept in usertext/systemad.txt as
// GBK text separated by CR LF. The workspace shows them, and the whiteboard
// editor reads them back the same way and writes them, so both go through
// these functions.
#pragma once

#include <QString>
#include <QStringList>
#include <string_view>

namespace whiteboard_file {

struct Whiteboard {
    QString text;       // the whole file, trimmed at both ends
    QStringList lines;  // that text split at every CR LF
};

// Reads the raw file bytes: the text ends at the first zero byte; ASCII and
// full-width spaces go from both ends of the whole text (inner lines keep
// theirs); a lone lead byte at the very end is dropped; every CR LF ends a
// line and a non-empty remainder is the last line. Bytes are walked as GBK
// characters, so the second half of a two-byte character is never taken for
// a space or a line break.
Whiteboard read_whiteboard_bytes(std::string_view bytes);

// Reads the file at `path`; a missing or unreadable file, and anything that is
// not a regular file (a FIFO, a device, a folder), reads as empty.
Whiteboard read_whiteboard_file(const QString& path);

// Writes `lines` as the whole file at `path`: GBK, joined by CR LF, through
// the whole-file save. False when the file could not be written; the old one
// is then left as it was.
bool write_whiteboard_file(const QString& path, const QStringList& lines);

}  // namespace whiteboard_file
