// Any text as a configured ciphertext, and any bytes as a password.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/cipher.h"

namespace {

void require(bool condition)
{
    if (!condition) std::abort();
}

bool in_alphabet(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
}

int value_of(char c)
{
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    return c == '+' ? 62 : 63;
}

// Text exactly as encodebin writes it: whole groups, padding only at the end,
// and the bits the padding leaves over set to zero.
bool is_canonical(std::string_view text)
{
    if (text.empty() || text.size() % 4 != 0) return false;
    std::size_t padding = 0;
    if (text.back() == '=') padding = text[text.size() - 2] == '=' ? 2 : 1;
    const std::size_t body = text.size() - padding;
    for (std::size_t i = 0; i < body; ++i) {
        if (!in_alphabet(text[i])) return false;
    }
    if (padding == 2) return (value_of(text[body - 1]) & 0x0F) == 0;
    if (padding == 1) return (value_of(text[body - 1]) & 0x03) == 0;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    using assoc::kDesAlgorithm;
    using assoc::kKeyText;
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const std::string plain = assoc::decodebin(input, kKeyText, kDesAlgorithm);
    require(plain.size() <= input.size() / 4 * 3);
    if (!plain.empty()) {
        const std::string again = assoc::encodebin(plain, kKeyText, kDesAlgorithm);
        require(again.size() == (plain.size() + 2) / 3 * 4);
        require(assoc::decodebin(again, kKeyText, kDesAlgorithm) == plain);
        if (is_canonical(input)) require(again == input);
    } else {
        require(!is_canonical(input));
    }

    if (!input.empty()) {
        const std::string text = assoc::encodebin(input, kKeyText, kDesAlgorithm);
        require(is_canonical(text));
        require(assoc::decodebin(text, kKeyText, kDesAlgorithm) == input);
    }
    return 0;
}
