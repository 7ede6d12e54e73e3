#include "core/cipher.h"

#include <nettle/des.h>
#include <nettle/sha1.h>

#include <cstdint>
#include <cstring>
#include <optional>

#include "platform/secure/wipe.h"
#include "platform/text/gbk.h"

namespace assoc {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The key schedule and the feedback register for one call. Nothing outlives the
// call: the destructor erases every buffer that held key material.
class DesCfb8 {
public:
    explicit DesCfb8(std::string_view key_text)
    {
        const std::string key_bytes = text::to_gbk(key_text);
        sha1_ctx sha;
        sha1_init(&sha);
        sha1_update(&sha, key_bytes.size(), reinterpret_cast<const uint8_t*>(key_bytes.data()));
        sha1_digest(&sha, sizeof digest_, digest_);
        secure::fill(&sha, sizeof sha, 0);

        // des_set_key ignores the parity bits and reports only whether the key is
        // one of the weak keys; the schedule is built either way, and the other
        // program derives the very same one, so the answer changes nothing.
        static_cast<void>(des_set_key(&des_, digest_));

        const uint8_t zero_block[DES_BLOCK_SIZE] = {};
        des_encrypt(&des_, DES_BLOCK_SIZE, initial_, zero_block);
        std::memcpy(register_, initial_, DES_BLOCK_SIZE);
    }

    ~DesCfb8()
    {
        secure::fill(digest_, sizeof digest_, 0xFF);
        secure::fill(&des_, sizeof des_, 0);
        secure::fill(initial_, sizeof initial_, 0xFF);
        secure::fill(register_, sizeof register_, 0xFF);
        secure::fill(output_, sizeof output_, 0xFF);
    }

    DesCfb8(const DesCfb8&) = delete;
    DesCfb8& operator=(const DesCfb8&) = delete;

    uint8_t encrypt(uint8_t plain)
    {
        const uint8_t cipher = plain ^ next_key_byte();
        feed_back(cipher);
        return cipher;
    }

    uint8_t decrypt(uint8_t cipher)
    {
        const uint8_t plain = cipher ^ next_key_byte();
        feed_back(cipher);
        return plain;
    }

private:
    uint8_t next_key_byte()
    {
        des_encrypt(&des_, DES_BLOCK_SIZE, output_, register_);
        return output_[0];
    }

    // Both directions shift the ciphertext byte in, which is what keeps them in step.
    void feed_back(uint8_t cipher)
    {
        std::memmove(register_, register_ + 1, DES_BLOCK_SIZE - 1);
        register_[DES_BLOCK_SIZE - 1] = cipher;
    }

    uint8_t digest_[SHA1_DIGEST_SIZE] = {};
    des_ctx des_ = {};
    uint8_t initial_[DES_BLOCK_SIZE] = {};
    uint8_t register_[DES_BLOCK_SIZE] = {};
    uint8_t output_[DES_BLOCK_SIZE] = {};
};

std::string base64_encode(std::string_view bytes)
{
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const uint32_t n = static_cast<uint8_t>(bytes[i]) << 16 | static_cast<uint8_t>(bytes[i + 1]) << 8 |
                           static_cast<uint8_t>(bytes[i + 2]);
        text += kAlphabet[n >> 18 & 63];
        text += kAlphabet[n >> 12 & 63];
        text += kAlphabet[n >> 6 & 63];
        text += kAlphabet[n & 63];
    }
    const std::size_t rest = bytes.size() - i;
    if (rest > 0) {
        uint32_t n = static_cast<uint8_t>(bytes[i]) << 16;
        if (rest == 2) n |= static_cast<uint8_t>(bytes[i + 1]) << 8;
        text += kAlphabet[n >> 18 & 63];
        text += kAlphabet[n >> 12 & 63];
        text += rest == 2 ? kAlphabet[n >> 6 & 63] : '=';
        text += '=';
    }
    return text;
}

int base64_value(char c)
{
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

// Decodes group by group as the deciphering side always has, padding in the
// middle included. nullopt for text that holds something no encoder writes.
std::optional<std::string> base64_decode(std::string_view text)
{
    std::string bytes;
    bytes.reserve(text.size() / 4 * 3);
    for (std::size_t g = 0; g + 4 <= text.size(); g += 4) {
        const std::string_view group = text.substr(g, 4);
        if (group[0] == '=' || group[1] == '=') return std::nullopt;
        int v[4];
        for (int i = 0; i < 4; ++i) {
            v[i] = base64_value(group[i]);
            if (v[i] < 0 && group[i] != '=') return std::nullopt;
        }
        bytes += static_cast<char>((v[0] << 2 | v[1] >> 4) & 0xFF);
        if (group[2] == '=') continue;
        bytes += static_cast<char>((v[1] << 4 | v[2] >> 2) & 0xFF);
        if (group[3] == '=') continue;
        bytes += static_cast<char>((v[2] << 6 | v[3]) & 0xFF);
    }
    return bytes;
}

}  // namespace

std::string encodebin(std::string_view data, std::string_view key_text, int algorithm)
{
    if (algorithm != kDesAlgorithm || data.empty()) return {};
    DesCfb8 cipher(key_text);
    std::string bytes(data.size(), '\0');
    for (std::size_t i = 0; i < data.size(); ++i) {
        bytes[i] = static_cast<char>(cipher.encrypt(static_cast<uint8_t>(data[i])));
    }
    return base64_encode(bytes);
}

std::string decodebin(std::string_view text, std::string_view key_text, int algorithm)
{
    if (algorithm != kDesAlgorithm || text.empty()) return {};
    std::optional<std::string> bytes = base64_decode(text);
    if (!bytes || bytes->empty()) return {};
    DesCfb8 cipher(key_text);
    // Deciphering in place: each byte is fed back before it is overwritten.
    for (char& byte : *bytes) {
        byte = static_cast<char>(cipher.decrypt(static_cast<uint8_t>(byte)));
    }
    return std::move(*bytes);
}

}  // namespace assoc
