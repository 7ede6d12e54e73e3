#include "platform/speech/speech.h"

#include <gtest/gtest.h>
#include <pcaudiolib/audio.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/speech/audio_output.h"
#include "platform/speech/engine.h"
#include "platform/speech/tests/test_support.h"

namespace speech {
namespace {

using test_support::TempDir;
using testing_support::read_wav;
using testing_support::Wav;

// The WAV files in a folder by object serial, each object's in sequence order.
// Anything else in the folder (a temporary file left behind) fails the test.
std::map<unsigned, std::map<unsigned, Wav>> collect_files(const std::filesystem::path& folder)
{
    std::map<unsigned, std::map<unsigned, Wav>> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        unsigned serial = 0;
        unsigned sequence = 0;
        const bool named = std::sscanf(name.c_str(), "%u-%u", &serial, &sequence) == 2 &&
                           name == std::to_string(serial) + "-" + std::to_string(sequence) + ".wav";
        EXPECT_TRUE(named) << "unexpected file " << name;
        if (!named) continue;
        const auto wav = read_wav(entry.path());
        EXPECT_TRUE(wav.has_value()) << "not a complete WAV: " << name;
        if (wav) files[serial][sequence] = *wav;
    }
    return files;
}

class SpeechToWav : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(folder_.path().empty());
        setenv("ASSOCMAN_SPEECH_WAV_DIR", folder_.path().c_str(), 1);
    }
    void TearDown() override { unsetenv("ASSOCMAN_SPEECH_WAV_DIR"); }

    TempDir folder_;
};

TEST_F(SpeechToWav, ChoosesTheMandarinVoiceThatReadsCharacters)
{
    ETextToSpeech voice;
    ASSERT_TRUE(voice.has_voice());
    EXPECT_EQ(voice.voice_name(), "cmn-Latn-pinyin");
}

TEST_F(SpeechToWav, AChineseNameIsAudibleAndOfPlausibleLength)
{
    ::testing::internal::CaptureStderr();
    {
        ETextToSpeech voice;
        voice.speak("张三");
        ASSERT_TRUE(voice.wait_until_idle(5000));
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");

    const auto files = collect_files(folder_.path());
    ASSERT_EQ(files.size(), 1u);
    const auto& texts = files.begin()->second;
    ASSERT_EQ(texts.size(), 1u);
    ASSERT_EQ(texts.begin()->first, 1u);
    const Wav& wav = texts.begin()->second;
    EXPECT_GT(wav.sample_rate, 8000);
    EXPECT_GT(wav.rms(), 500.0);
    EXPECT_GT(wav.seconds(), 0.3);
    EXPECT_LT(wav.seconds(), 5.0);
}

TEST_F(SpeechToWav, KeepsTheOrderOfTextsWithinAnObject)
{
    ETextToSpeech voice;
    // Lengths deliberately out of order: long, short, middle.
    voice.speak("欧阳小明同学你好欢迎");
    voice.speak("王");
    voice.speak("张三丰");
    ASSERT_TRUE(voice.wait_until_idle(5000));

    const auto files = collect_files(folder_.path());
    ASSERT_EQ(files.size(), 1u);
    const auto& texts = files.begin()->second;
    ASSERT_EQ(texts.size(), 3u);
    ASSERT_EQ(texts.begin()->first, 1u);
    ASSERT_EQ(texts.rbegin()->first, 3u);
    const double first = texts.at(1).seconds();
    const double second = texts.at(2).seconds();
    const double third = texts.at(3).seconds();
    EXPECT_GT(first, third);
    EXPECT_GT(third, second);
}

TEST_F(SpeechToWav, TwoObjectsQueueIndependently)
{
    ETextToSpeech one;
    ETextToSpeech other;
    one.speak("欧阳小明同学你好欢迎");
    other.speak("王");
    one.speak("李");
    other.speak("司马相如同学请回答");
    ASSERT_TRUE(one.wait_until_idle(5000));
    ASSERT_TRUE(other.wait_until_idle(5000));

    const auto files = collect_files(folder_.path());
    ASSERT_EQ(files.size(), 2u) << "each object writes under its own serial";
    const auto& first_object = files.begin()->second;    // made first: one
    const auto& second_object = files.rbegin()->second;  // other
    ASSERT_EQ(first_object.size(), 2u);
    ASSERT_EQ(second_object.size(), 2u);
    EXPECT_GT(first_object.at(1).seconds(), first_object.at(2).seconds());
    EXPECT_LT(second_object.at(1).seconds(), second_object.at(2).seconds());
}

TEST_F(SpeechToWav, AnEmptyTextMakesNoSound)
{
    {
        ETextToSpeech voice;
        voice.speak("");
        ASSERT_TRUE(voice.wait_until_idle(5000));
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder_.path()));

    ETextToSpeech voice;
    voice.speak("");
    voice.speak("李四");
    voice.speak("");
    ASSERT_TRUE(voice.wait_until_idle(5000));
    const auto files = collect_files(folder_.path());
    ASSERT_EQ(files.size(), 1u);
    ASSERT_EQ(files.begin()->second.size(), 1u);
    EXPECT_EQ(files.begin()->second.begin()->first, 1u);
}

TEST_F(SpeechToWav, DestroyingWithAQueuePendingNeitherHangsNorLeavesHalfFiles)
{
    // A destructor that hung would hold the test here until its time limit
    // fails it; one that worked through the queue first fails the count below.
    {
        ETextToSpeech voice;
        for (int i = 0; i < 200; ++i) voice.speak("欧阳小明同学你好欢迎光临");
    }

    // Whatever was spoken before the end is whole and in order; the rest was dropped.
    const auto files = collect_files(folder_.path());
    ASSERT_LE(files.size(), 1u);
    if (files.empty()) return;
    const auto& texts = files.begin()->second;
    EXPECT_LT(texts.size(), 200u);
    unsigned expected_sequence = 1;
    for (const auto& [sequence, wav] : texts) {
        EXPECT_EQ(sequence, expected_sequence++);
        EXPECT_GT(wav.rms(), 500.0);
    }
}

// Points PulseAudio at a socket that does not exist and ALSA at a configuration
// of our own, so the only device there can be is the one that configuration
// names; restores the environment after.
class SpeechToDevice : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(folder_.path().empty());
        for (const char* name : {"PULSE_SERVER", "ALSA_CONFIG_PATH", "AUDIODEV", "ASSOCMAN_SPEECH_WAV_DIR"}) {
            const char* value = std::getenv(name);
            saved_[name] = value ? std::optional<std::string>(value) : std::nullopt;
        }
        setenv("PULSE_SERVER", ("unix:" + folder_.file("no-socket")).c_str(), 1);
        setenv("AUDIODEV", folder_.file("no-device").c_str(), 1);
        unsetenv("ASSOCMAN_SPEECH_WAV_DIR");
    }
    void TearDown() override
    {
        for (const auto& [name, value] : saved_) {
            if (value) {
                setenv(name.c_str(), value->c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
    }

    void use_alsa_configuration(const std::string& text)
    {
        const auto path = folder_.file("asound.conf");
        std::ofstream(path) << text;
        setenv("ALSA_CONFIG_PATH", path.c_str(), 1);
    }

    // The queue drains, an object destroyed right after queueing goes (one
    // that hung would hold the test until its time limit fails it), and
    // nothing reaches stderr. That speaking never waits for the device shows
    // in the deaf-server test below; timings belong to benchmarks.
    void expect_quick_and_quiet()
    {
        ::testing::internal::CaptureStderr();
        {
            ETextToSpeech voice;
            EXPECT_TRUE(voice.has_voice());
            voice.speak("张三");
            voice.speak("李四");
            EXPECT_TRUE(voice.wait_until_idle(5000));
            voice.speak("王五");
            auto other = std::make_unique<ETextToSpeech>();
            other->speak("赵六");
            other.reset();
        }
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
        // Only the configuration file: nothing was written instead of playing.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.path()),
                                std::filesystem::directory_iterator()),
                  1);
    }

    TempDir folder_;

private:
    std::map<std::string, std::optional<std::string>> saved_;
};

TEST_F(SpeechToDevice, WithoutAnyDeviceSpeakingIsSilentQuickAndQuiet)
{
    // Empty: ALSA knows no "default" and complains about it on stderr.
    use_alsa_configuration("");
    expect_quick_and_quiet();
}

TEST_F(SpeechToDevice, ASpokenNameReachesTheDeviceAndTheDeviceIsLetGoAfterIt)
{
    const std::string played = folder_.file("played.wav");
    use_alsa_configuration("pcm.!default { type file slave.pcm { type null } file \"" + played +
                           "\" format \"wav\" }\n");
    ETextToSpeech voice;
    voice.speak("张三");
    ASSERT_TRUE(voice.wait_until_idle(5000));
    // The device writes the WAV sizes when its stream closes: a file that reads whole was let go.
    const auto wav = read_wav(played);
    ASSERT_TRUE(wav && wav->rms() > 500.0 && wav->seconds() > 0.3 && wav->seconds() < 5.0);
}

TEST_F(SpeechToDevice, ADeviceNotFoundOrNotOpeningIsLookedForAgainAfterAWhile)
{
    const std::filesystem::path played = folder_.file("played.raw");
    use_alsa_configuration("pcm.!default { type file slave.pcm { type null } file \"" + played.string() +
                           "\" format \"raw\" }\n");
    detail::silence_alsa_diagnostics();
    int looked = 0;
    std::chrono::steady_clock::time_point now{};
    const auto find_device = [&looked]() -> audio_object* {
        ++looked;
        switch (looked) {
            case 1:  // no sound server or card at all yet
                return nullptr;
            case 2:  // one that is there but does not open
                return create_audio_device_object("no-such-device", "test", "test");
            default:  // the default device: the file above
                return create_audio_device_object(nullptr, "test", "test");
        }
    };
    auto output = detail::make_device_output(find_device, [&now] { return now; });
    const detail::Pcm pcm{std::vector<std::int16_t>(2205, 1000), 22050};
    const auto half = std::chrono::milliseconds(detail::kLookForDeviceAgainAfter) / 2;
    const auto looked_after_playing = [&](std::chrono::milliseconds later) {
        now += later;
        output->play(pcm, [] { return true; });
        return looked;
    };

    EXPECT_EQ(looked_after_playing({}), 1);
    EXPECT_EQ(looked_after_playing(half), 1) << "looked for again too soon";
    EXPECT_EQ(looked_after_playing(half), 2);
    EXPECT_EQ(looked_after_playing(half), 2) << "looked for again too soon";
    EXPECT_FALSE(std::filesystem::exists(played));
    EXPECT_EQ(looked_after_playing(half), 3);
    ASSERT_TRUE(std::filesystem::exists(played));
    EXPECT_EQ(std::filesystem::file_size(played), pcm.samples.size() * sizeof(std::int16_t));
    EXPECT_EQ(looked_after_playing(half * 4), 3) << "a device that opened is kept";
}

// A sound server that takes the connection and never answers holds a client
// for half a minute. Making speech objects and asking about their voice must
// not touch it; only a worker, once there is a text, may wait for it.
bool speech_leaves_a_deaf_server_to_the_worker()
{
    TempDir folder;
    const std::string socket_path = folder.file("native");
    const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socket_path.c_str());
    // Listening without ever accepting: connecting succeeds, no answer comes.
    if (server < 0 || ::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(server, 16) != 0) {
        return false;
    }
    setenv("PULSE_SERVER", ("unix:" + socket_path).c_str(), 1);
    unsetenv("ASSOCMAN_SPEECH_WAV_DIR");
    const auto called = [server](int timeout_ms) {
        pollfd waiting{server, POLLIN, 0};
        return ::poll(&waiting, 1, timeout_ms) == 1;
    };

    ETextToSpeech one;
    ETextToSpeech other;
    bool ok = one.has_voice() && other.has_voice();
    ok = ok && one.voice_name() == "cmn-Latn-pinyin" && other.voice_name() == "cmn-Latn-pinyin";
    ok = ok && !called(0);
    // Speaking returns at once; the worker is the one that calls the server.
    one.speak("张三");
    ok = ok && called(10000);
    std::fflush(stdout);
    // The worker still waits for the server: end here, without letting it go.
    std::filesystem::remove_all(folder.path());  // _Exit runs no destructor
    std::_Exit(ok ? 0 : 1);
}

// In a fresh process: the engine starts once per process, and the worker left
// waiting must not outlive the test.
TEST(SpeechWithADeafSoundServer, MakingAndAskingNeverWaitsForIt)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(speech_leaves_a_deaf_server_to_the_worker(), ::testing::ExitedWithCode(0), "");
}

// espeak-ng crashes when used after it failed to find its data; an object made
// then must simply have no voice. Runs in a fresh process, since the engine is
// started once per process.
TEST(SpeechWithoutEngineData, TheObjectHasNoVoiceAndStaysSilent)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            TempDir data;
            TempDir output;
            setenv("ESPEAK_DATA_PATH", data.path().c_str(), 1);
            setenv("ASSOCMAN_SPEECH_WAV_DIR", output.path().c_str(), 1);
            bool ok = true;
            {
                ETextToSpeech voice;
                ok = ok && !voice.has_voice() && voice.voice_name().empty();
                voice.speak("张三");
                ok = ok && voice.wait_until_idle(1000);
            }
            ok = ok && std::filesystem::is_empty(output.path());
            std::filesystem::remove_all(data.path());  // _Exit runs no destructor
            std::filesystem::remove_all(output.path());
            std::fflush(stdout);
            std::_Exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace speech
