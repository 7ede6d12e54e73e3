#include "platform/secure/wipe.h"

namespace secure {

void fill(void* data, std::size_t size, unsigned char value)
{
    volatile unsigned char* bytes = static_cast<volatile unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = value;
}

void wipe(std::string& text)
{
    // The capacity may hold bytes of an earlier, longer value as well.
    text.resize(text.capacity());
    fill(text.data(), text.size(), 0);
    text.clear();
}

}  // namespace secure
