#include "assocman/whiteboard_file/whiteboard_split.h"

namespace whiteboard_file {
namespace {

// GBK can only be walked forwards: a byte of 0x80 or above may be a lead or a
// trail byte, and only the walk from the start tells which. A byte of 0x80 or
// above starting a character takes the next byte with it; a lead byte with
// nothing after it is no character (0 here).
std::size_t char_length(std::string_view text, std::size_t i)
{
    if (static_cast<unsigned char>(text[i]) < 0x80) return 1;
    return i + 1 < text.size() ? 2 : 0;
}

bool is_space(std::string_view c) { return c == " " || c == "\xA1\xA1"; }

}  // namespace

WhiteboardSpans split_whiteboard(std::string_view bytes)
{
    const std::size_t zero = bytes.find('\0');
    if (zero != std::string_view::npos) bytes = bytes.substr(0, zero);

    // One walk finds where the first and the end of the last character that
    // is no space lie; the file may be large, so nothing is kept per character.
    std::size_t begin = std::string_view::npos;
    std::size_t end = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = char_length(bytes, i);
        if (length == 0) break;
        if (!is_space(bytes.substr(i, length))) {
            if (begin == std::string_view::npos) begin = i;
            end = i + length;
        }
        i += length;
    }

    WhiteboardSpans spans;
    if (begin == std::string_view::npos) return spans;
    spans.text = bytes.substr(begin, end - begin);

    // The trimmed text starts on a character and ends after one, so walking it
    // from its own start meets the same characters as the walk of the file.
    const std::string_view text = spans.text;
    std::size_t line_start = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = char_length(text, i);
        if (length == 0) break;  // cannot happen, see above; never loop on it
        if (length == 1 && text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            spans.lines.push_back(text.substr(line_start, i - line_start));
            line_start = i + 2;
            i += 2;
            continue;
        }
        i += length;
    }
    if (line_start < text.size()) spans.lines.push_back(text.substr(line_start));
    return spans;
}

}  // namespace whiteboard_file
