#include "platform/text/gbk.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

#include "platform/secure/wipe.h"

namespace text {
namespace {

constexpr std::string_view kUtf8Replacement = "\xEF\xBF\xBD";
constexpr std::string_view kGbReplacement = "\x84\x31\xA4\x37";

class IconvHandle {
public:
    IconvHandle(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~IconvHandle()
    {
        if (valid()) iconv_close(cd_);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

// Output buffer that never leaves a stray copy of its content behind when it
// grows: the strings we convert may be passwords.
class Output {
public:
    explicit Output(std::size_t capacity) : buffer_(capacity, '\0') {}

    char** cursor() { return &cursor_ptr_; }
    std::size_t* left() { return &left_; }

    void start()
    {
        cursor_ptr_ = buffer_.data();
        left_ = buffer_.size();
    }

    void reserve_more(std::size_t needed)
    {
        if (left_ >= needed) return;
        const std::size_t used = buffer_.size() - left_;
        std::string bigger(buffer_.size() * 2 + needed, '\0');
        std::memcpy(bigger.data(), buffer_.data(), used);
        secure::wipe(buffer_);
        buffer_.swap(bigger);
        cursor_ptr_ = buffer_.data() + used;
        left_ = buffer_.size() - used;
    }

    void append(std::string_view bytes)
    {
        reserve_more(bytes.size());
        std::memcpy(cursor_ptr_, bytes.data(), bytes.size());
        cursor_ptr_ += bytes.size();
        left_ -= bytes.size();
    }

    std::string take()
    {
        buffer_.resize(buffer_.size() - left_);
        return std::move(buffer_);
    }

private:
    std::string buffer_;
    char* cursor_ptr_ = nullptr;
    std::size_t left_ = 0;
};

// How many bytes to give up on when UTF-8 input cannot be converted: a whole
// well-formed sequence (a character the GB18030 table has no code for) is one
// character and gets one replacement; anything else is one bad byte.
std::size_t utf8_skip(std::string_view rest)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(rest[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 1;
    }
    if (rest.size() < length || byte(1) < low || byte(1) > high) return 1;
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) return 1;
    }
    return length;
}

std::size_t single_byte_skip(std::string_view) { return 1; }

std::string convert(std::string_view input, const char* to, const char* from, std::string_view replacement,
                    std::size_t (*skip)(std::string_view))
{
    if (input.empty()) return {};
    IconvHandle cd(to, from);
    if (!cd.valid()) return {};

    // Four output bytes per input byte cover every case of the conversions used
    // here (the replacement included), so the buffer normally never grows.
    Output out(input.size() * 4);
    out.start();
    // iconv's prototype takes a non-const input pointer but does not write through it.
    char* in = const_cast<char*>(input.data());
    std::size_t in_left = input.size();
    while (in_left > 0) {
        if (iconv(cd.get(), &in, &in_left, out.cursor(), out.left()) != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) {
            out.reserve_more(16);
            continue;
        }
        // EILSEQ (invalid or unconvertible sequence) or EINVAL (sequence cut off by
        // the end): give up on as little as possible, so what follows still gets
        // its chance.
        out.append(replacement);
        const std::size_t skipped = skip(std::string_view(in, in_left));
        in += skipped;
        in_left -= skipped;
    }
    return out.take();
}

}  // namespace

std::string to_gbk(std::string_view utf8)
{
    return convert(utf8, "GB18030", "UTF-8", kGbReplacement, utf8_skip);
}

std::string from_gbk(std::string_view bytes)
{
    return convert(bytes, "UTF-8", "GB18030", kUtf8Replacement, single_byte_skip);
}

// The texts measured and cut here may be passwords, so the converted bytes
// are wiped rather than left in freed memory.
std::size_t gbk_length(std::string_view utf8)
{
    std::string bytes = to_gbk(utf8);
    const std::size_t length = bytes.size();
    secure::wipe(bytes);
    return length;
}

std::string gbk_prefix(std::string_view utf8, std::size_t limit)
{
    // No character takes more than twice as many GB18030 bytes as UTF-8 bytes.
    if (utf8.size() <= limit / 2) return std::string(utf8);
    std::string bytes = to_gbk(utf8);
    if (bytes.size() <= limit) {
        secure::wipe(bytes);
        return std::string(utf8);
    }
    // to_gbk writes only whole GB18030 characters: ASCII is one byte, a
    // four-byte code has a digit for its second byte, the rest are two bytes.
    std::size_t end = 0;
    while (end < bytes.size()) {
        std::size_t length = 2;
        if (static_cast<unsigned char>(bytes[end]) < 0x80) {
            length = 1;
        } else if (end + 1 < bytes.size() && bytes[end + 1] >= '0' && bytes[end + 1] <= '9') {
            length = 4;
        }
        if (end + length > limit) break;
        end += length;
    }
    std::string prefix = from_gbk(std::string_view(bytes).substr(0, end));
    secure::wipe(bytes);
    return prefix;
}

std::string bytes_to_text(std::string_view bytes) { return std::string(bytes.substr(0, bytes.find('\0'))); }

namespace detail {
std::string sanitize_utf8(std::string_view utf8)
{
    return convert(utf8, "UTF-8", "UTF-8", kUtf8Replacement, single_byte_skip);
}
}  // namespace detail

}  // namespace text
