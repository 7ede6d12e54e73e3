// Any bytes as the whiteboard file. The reader must give what the plain
// character-by-character reading below gives, and its spans must keep the
// promises the workspace and the editor rely on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "assocman/whiteboard_file/whiteboard_split.h"

namespace {

void require(bool condition)
{
    if (!condition) std::abort();
}

// The file's characters in GBK, walked from the start: a byte of 0x80 or
// above takes the next one with it; a lead byte with nothing after it ends
// the walk.
std::vector<std::string_view> characters(std::string_view text)
{
    std::vector<std::string_view> chars;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = static_cast<unsigned char>(text[i]) < 0x80 ? 1 : 2;
        if (i + length > text.size()) break;
        chars.push_back(text.substr(i, length));
        i += length;
    }
    return chars;
}

bool is_space(std::string_view c) { return c == " " || c == "\xA1\xA1"; }

bool has_line_break(std::string_view text)
{
    const std::vector<std::string_view> chars = characters(text);
    for (std::size_t k = 0; k + 1 < chars.size(); ++k) {
        if (chars[k] == "\r" && chars[k + 1] == "\n") return true;
    }
    return false;
}

// The reading the reader stands for, one character at a time.
whiteboard_file::WhiteboardSpans plain_reading(std::string_view bytes)
{
    bytes = bytes.substr(0, bytes.find('\0'));
    const std::vector<std::string_view> chars = characters(bytes);
    std::size_t first = 0;
    std::size_t last = chars.size();
    while (first < last && is_space(chars[first])) ++first;
    while (last > first && is_space(chars[last - 1])) --last;
    whiteboard_file::WhiteboardSpans spans;
    if (first == last) return spans;
    const char* begin = chars[first].data();
    const char* end = chars[last - 1].data() + chars[last - 1].size();
    spans.text = std::string_view(begin, static_cast<std::size_t>(end - begin));
    const char* line = begin;
    for (std::size_t k = first; k < last; ++k) {
        if (chars[k] == "\r" && k + 1 < last && chars[k + 1] == "\n") {
            spans.lines.emplace_back(line, static_cast<std::size_t>(chars[k].data() - line));
            line = chars[k + 1].data() + 1;
            ++k;
        }
    }
    if (line < end) spans.lines.emplace_back(line, static_cast<std::size_t>(end - line));
    return spans;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const whiteboard_file::WhiteboardSpans spans = whiteboard_file::split_whiteboard(bytes);

    // Same spans, at the same places, as the plain reading.
    const whiteboard_file::WhiteboardSpans plain = plain_reading(bytes);
    require(spans.text.data() == plain.text.data() || (spans.text.empty() && plain.text.empty()));
    require(spans.text == plain.text);
    require(spans.lines == plain.lines);

    if (spans.text.empty()) {
        require(spans.lines.empty());
        return 0;
    }
    // The text lies in the file before any zero byte.
    require(spans.text.data() >= bytes.data() &&
            spans.text.data() + spans.text.size() <= bytes.data() + bytes.size());
    require(spans.text.find('\0') == std::string_view::npos);

    // Trimmed at both ends, whole characters only.
    const std::vector<std::string_view> chars = characters(spans.text);
    require(!chars.empty());
    require(chars.back().data() + chars.back().size() == spans.text.data() + spans.text.size());
    require(!is_space(chars.front()) && !is_space(chars.back()));

    // No line holds a line break, and the lines joined with CR LF give the
    // text back (with the one break that ends it, if it ends in one).
    std::string joined;
    for (std::size_t i = 0; i < spans.lines.size(); ++i) {
        require(!has_line_break(spans.lines[i]));
        if (i > 0) joined += "\r\n";
        joined += spans.lines[i];
    }
    const bool ends_in_break = chars.size() >= 2 && chars[chars.size() - 2] == "\r" && chars.back() == "\n";
    require(joined + (ends_in_break ? "\r\n" : "") == spans.text);
    return 0;
}
