#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Text inside the program is UTF-8; everything the users keep on disk, and
// everything that is digested or enciphered, is in the Chinese code page. We
// write GB18030, the superset of GBK: a character that GBK has gets its GBK
// bytes, and any other character still gets a four-byte code instead of being
// lost or turned into "?".
namespace text {

// UTF-8 to GB18030 bytes. An invalid UTF-8 byte becomes the code of U+FFFD
// (84 31 A4 37) and the conversion goes on with the next byte. So does each of
// the 24 private-use characters that glibc's GB18030 table leaves without a
// code (U+E78D-E796, U+E816-E818, U+E81E, U+E826, U+E82B, U+E82C, U+E831,
// U+E832, U+E83B, U+E843, U+E854, U+E855, U+E864: their GBK codes now decode to
// the standard characters they stood in for); every other character converts.
std::string to_gbk(std::string_view utf8);

// GB18030 (and so GBK) bytes to UTF-8. A byte that does not start a valid
// sequence, or a sequence cut short by the end of the input, becomes U+FFFD and
// decoding resumes at the very next byte; so "\x81\x30" gives U+FFFD then "0",
// and every byte is looked at once: no input can stall or crash it.
std::string from_gbk(std::string_view bytes);

// Byte length of the text in GB18030: ASCII counts one, a GBK (Chinese)
// character two, a character outside GBK four.
std::size_t gbk_length(std::string_view utf8);

// The longest run of whole characters from the start of `utf8` whose GB18030
// bytes take at most `limit` bytes: `utf8` itself when all of it fits,
// otherwise those characters as UTF-8. A character is never split.
std::string gbk_prefix(std::string_view utf8, std::size_t limit);

// The bytes up to the first zero byte, or all of them when there is none.
std::string bytes_to_text(std::string_view bytes);

namespace detail {
// Validates UTF-8 the same way from_gbk handles bad input (U+FFFD per bad byte).
std::string sanitize_utf8(std::string_view utf8);
}  // namespace detail

}  // namespace text
