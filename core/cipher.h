#pragma once

#include <string>
#include <string_view>

// The database-password cipher shared by assocman (which deciphers the
// configured ciphertext) and cipherkey (which makes it). DES in CFB mode with
// 8-bit segments; the key is the first 8 bytes of SHA-1 over the key text's
// GBK bytes, the feedback register starts at DES_K(0), and the ciphertext bytes
// are written as one line of standard Base64.
namespace assoc {

// The only key text and algorithm number either program uses.
inline constexpr std::string_view kKeyText = "wkz";
inline constexpr int kDesAlgorithm = 4;

// Enciphers the bytes of `data`; `key_text` is UTF-8. The result has
// 4 * ceil(n / 3) characters. Empty data, or an algorithm number other than
// kDesAlgorithm, gives "".
std::string encodebin(std::string_view data, std::string_view key_text, int algorithm);

// Deciphers Base64 text back to bytes. Only whole groups of four characters
// count (a trailing group of 1 to 3 characters is ignored); "=" in third place
// ends the group after one byte whatever the fourth is, "=" in fourth place
// after two; groups after a padded group are decoded and appended.
// Text with a character outside the Base64 alphabet, or "=" in the first or
// second place of a group, is not something encodebin could have made: the
// whole text is rejected and the result is "". So is an algorithm number other
// than kDesAlgorithm.
std::string decodebin(std::string_view text, std::string_view key_text, int algorithm);

}  // namespace assoc
