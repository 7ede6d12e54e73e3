#pragma once

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace speech::testing_support {

struct Wav {
    int sample_rate = 0;
    std::vector<std::int16_t> samples;

    double seconds() const { return sample_rate > 0 ? double(samples.size()) / sample_rate : 0.0; }
    double rms() const
    {
        if (samples.empty()) return 0.0;
        double sum = 0;
        for (std::int16_t s : samples) sum += double(s) * s;
        return std::sqrt(sum / double(samples.size()));
    }
};

inline std::uint32_t le32(const std::string& b, std::size_t at)
{
    return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8 |
           std::uint32_t(std::uint8_t(b[at + 2])) << 16 | std::uint32_t(std::uint8_t(b[at + 3])) << 24;
}
inline std::uint16_t le16(const std::string& b, std::size_t at)
{
    return std::uint16_t(std::uint8_t(b[at]) | std::uint8_t(b[at + 1]) << 8);
}

// Accepts only what a 16-bit mono PCM WAV with a 44-byte header must be, with
// sizes that agree with the file's length.
inline std::optional<Wav> read_wav(const std::filesystem::path& path)
{
    const std::string b = test_support::read_file(path);
    if (b.size() < 44 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 8, "WAVEfmt ") != 0 ||
        b.compare(36, 4, "data") != 0)
        return std::nullopt;
    if (le32(b, 4) != b.size() - 8 || le32(b, 16) != 16 || le16(b, 20) != 1 || le16(b, 22) != 1 ||
        le16(b, 32) != 2 || le16(b, 34) != 16 || le32(b, 40) != b.size() - 44 ||
        le32(b, 28) != le32(b, 24) * 2)
        return std::nullopt;
    Wav wav;
    wav.sample_rate = int(le32(b, 24));
    for (std::size_t at = 44; at + 1 < b.size(); at += 2) wav.samples.push_back(std::int16_t(le16(b, at)));
    return wav;
}

}  // namespace speech::testing_support
