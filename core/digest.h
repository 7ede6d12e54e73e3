#pragma once

#include <string>
#include <string_view>

namespace assoc {

// The stored form of an administrator's password: MD5 of the text's GBK bytes
// as 32 lowercase hexadecimal digits.
std::string password_digest(std::string_view utf8_text);

}  // namespace assoc
