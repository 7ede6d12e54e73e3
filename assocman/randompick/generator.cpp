#include "assocman/randompick/generator.h"

#include <chrono>

namespace randompick {

std::uint32_t Generator::seed_from_clock(std::uint32_t milliseconds)
{
    // Unsigned 32-bit arithmetic wraps, which is the rule the seed follows.
    const std::uint32_t seed = milliseconds + offset_;
    offset_ += (seed & 255u) + 100u;
    state_ = seed;
    return seed;
}

int Generator::draw()
{
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int>((state_ >> 16) & 0x7fffu);
}

std::size_t Generator::pick_position(std::size_t count)
{
    if (count <= 1) return 0;
    return static_cast<std::size_t>(draw()) % count;
}

Generator& generator()
{
    static Generator g;
    return g;
}

std::uint32_t milliseconds_since_boot()
{
    // steady_clock is the monotonic clock here, which counts from boot.
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

}  // namespace randompick
