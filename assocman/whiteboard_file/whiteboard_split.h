// How the whiteboard file's bytes are trimmed and cut into lines, before any
// of it is turned into text. Plain C++ so that it can be fuzzed on its own.
#pragma once

#include <string_view>
#include <vector>

namespace whiteboard_file {

struct WhiteboardSpans {
    std::string_view text;                // the trimmed text, within the input
    std::vector<std::string_view> lines;  // that text split at every CR LF
};

// The rules of read_whiteboard_bytes() (whiteboard_file.h), on GBK bytes: the spans
// point into `bytes`.
WhiteboardSpans split_whiteboard(std::string_view bytes);

}  // namespace whiteboard_file
