#pragma once

#include <cstddef>
#include <string>

namespace secure {

// Overwrites memory that held key material or a password. The writes go through
// a volatile pointer so the compiler cannot drop them as dead stores just before
// the memory is released.
void fill(void* data, std::size_t size, unsigned char value);

// Fills the whole buffer of the string with zero bytes (including spare capacity)
// and empties it.
void wipe(std::string& text);

}  // namespace secure
