#include "assocman/workspace/whiteboard.h"

#include <QFile>
#include <string>
#include <vector>

#include "assocman/shared/gbk.h"

namespace workspace {
namespace {

// One GBK character within the text: where it starts and how many bytes.
struct Char {
    std::size_t pos;
    std::size_t len;
};

// GBK can only be walked forwards: a byte of 0x80 or above may be a lead or a
// trail byte, and only the walk from the start tells which.
std::vector<Char> walk(std::string_view text)
{
    std::vector<Char> chars;
    chars.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            chars.push_back({i, 1});
            ++i;
        } else if (i + 1 < text.size()) {
            chars.push_back({i, 2});
            i += 2;
        } else {
            break;  // a lead byte with nothing after it is no character
        }
    }
    return chars;
}

bool is_space(std::string_view text, const Char& c)
{
    const std::string_view s = text.substr(c.pos, c.len);
    return s == " " || s == "\xA1\xA1";
}

QString to_qstring(std::string_view gbk) { return QString::fromStdString(assoc::from_gbk(gbk)); }

}  // namespace

Whiteboard read_whiteboard_bytes(std::string_view bytes)
{
    const std::size_t zero = bytes.find('\0');
    if (zero != std::string_view::npos) bytes = bytes.substr(0, zero);

    const std::vector<Char> all = walk(bytes);
    std::size_t first = 0;
    std::size_t last = all.size();
    while (first < last && is_space(bytes, all[first])) ++first;
    while (last > first && is_space(bytes, all[last - 1])) --last;

    Whiteboard board;
    if (first == last) return board;

    const std::size_t begin = all[first].pos;
    const std::size_t end = all[last - 1].pos + all[last - 1].len;
    const std::string_view text = bytes.substr(begin, end - begin);
    board.text = to_qstring(text);

    // Positions below are relative to `text`; the walk of the trimmed text is
    // the walk of the whole file from `first` on.
    std::size_t line_start = 0;
    for (std::size_t k = first; k < last; ++k) {
        const std::size_t pos = all[k].pos - begin;
        if (all[k].len == 1 && text[pos] == '\r' && k + 1 < last && all[k + 1].len == 1 &&
            text[pos + 1] == '\n') {
            board.lines.append(to_qstring(text.substr(line_start, pos - line_start)));
            line_start = pos + 2;
            ++k;
        }
    }
    if (line_start < text.size()) board.lines.append(to_qstring(text.substr(line_start)));
    return board;
}

Whiteboard read_whiteboard_file(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.readAll();
    return read_whiteboard_bytes(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace workspace
