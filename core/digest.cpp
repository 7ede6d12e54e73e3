#include "core/digest.h"

#include <nettle/md5.h>

#include "platform/secure/wipe.h"
#include "platform/text/gbk.h"

namespace assoc {

std::string password_digest(std::string_view utf8_text)
{
    std::string bytes = text::to_gbk(utf8_text);
    md5_ctx ctx;
    md5_init(&ctx);
    md5_update(&ctx, bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data()));
    uint8_t digest[MD5_DIGEST_SIZE];
    md5_digest(&ctx, sizeof digest, digest);

    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * sizeof digest);
    for (uint8_t byte : digest) {
        hex += kHex[byte >> 4];
        hex += kHex[byte & 0x0F];
    }

    // The context's block buffer still holds the end of the password.
    secure::fill(&ctx, sizeof ctx, 0);
    secure::fill(digest, sizeof digest, 0);
    secure::wipe(bytes);
    return hex;
}

}  // namespace assoc
