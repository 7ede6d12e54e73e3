#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/speech/audio_output.h"
#include "platform/speech/tests/test_support.h"

namespace speech::detail {
namespace {

using test_support::read_file;
using test_support::TempDir;

TEST(WriteWavFile, WritesTheExactBytesOfA16BitMonoFile)
{
    TempDir folder;
    const auto path = folder.file("a.wav");
    const Pcm pcm{{0x0102, -2, 32767, -32768}, 22050};
    std::string error;
    ASSERT_TRUE(write_wav_file(path, pcm, error)) << error;

    // Built by hand from the RIFF/WAVE layout: 36 + 8 data bytes, PCM, mono,
    // 22050 Hz, 44100 bytes/s, 2-byte frames, 16 bits.
    const std::string expected(
        "RIFF\x2c\x00\x00\x00WAVEfmt \x10\x00\x00\x00\x01\x00\x01\x00"
        "\x22\x56\x00\x00\x44\xac\x00\x00\x02\x00\x10\x00"
        "data\x08\x00\x00\x00"
        "\x02\x01\xfe\xff\xff\x7f\x00\x80",
        52);
    EXPECT_EQ(read_file(path), expected);
    EXPECT_FALSE(std::filesystem::exists(folder.file("a.wav.part")));
}

TEST(WriteWavFile, FailsWithoutLeavingFiles)
{
    TempDir folder;
    struct Case {
        const char* what;
        std::filesystem::path path;
        Pcm pcm;
    };
    const Case cases[] = {
        {"missing folder", folder.file("missing/c.wav"), Pcm{{1}, 22050}},
        {"zero sample rate", folder.file("d.wav"), Pcm{{1}, 0}},
        {"negative sample rate", folder.file("e.wav"), Pcm{{1}, -5}},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(write_wav_file(c.path, c.pcm, error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

}  // namespace
}  // namespace speech::detail
