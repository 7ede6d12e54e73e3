// The pick's random numbers: a fixed linear congruential rule, so one seed
// always rolls the same names in the same order.
#pragma once

#include <cstddef>
#include <cstdint>

namespace randompick {

class Generator {
public:
    void seed(std::uint32_t seed) { state_ = seed; }

    // Seeds from a millisecond clock reading and returns the seed taken. The
    // offset grows with every seeding, so two windows opened within the same
    // millisecond still roll differently.
    std::uint32_t seed_from_clock(std::uint32_t milliseconds);

    // The next number, 0 to 32767.
    int draw();

    // 0-based position of the name to show among `count` names (count >= 1).
    // A single name needs no chance, so nothing is drawn for it.
    std::size_t pick_position(std::size_t count);

private:
    std::uint32_t state_ = 1;
    std::uint32_t offset_ = 0;
};

// The program has one generator, used only by the random pick.
Generator& generator();

// Milliseconds since the system started, wrapping at 2^32 like a 32-bit tick count.
std::uint32_t milliseconds_since_boot();

}  // namespace randompick
