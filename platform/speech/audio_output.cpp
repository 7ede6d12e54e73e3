#include "platform/speech/audio_output.h"

#include <errno.h>

#include <algorithm>
#include <bit>
#include <cstdarg>
#include <cstdint>
#include <fstream>
#include <mutex>
#include <system_error>
#include <utility>

#include "platform/speech/libraries.h"

namespace speech::detail {

namespace {

// Device objects come only from pcaudiolib, so it is loaded wherever one exists.
struct AudioObjectDeleter {
    void operator()(audio_object* object) const
    {
        if (const PcaudioLibrary* pcaudio = pcaudio_library()) pcaudio->destroy(object);
    }
};
using AudioObjectPtr = std::unique_ptr<audio_object, AudioObjectDeleter>;

// An open stream on a device object; closing it is what lets the device go.
class OpenStream {
public:
    explicit OpenStream(audio_object* object) : object_(object) {}
    ~OpenStream() { pcaudio_library()->close(object_); }
    OpenStream(const OpenStream&) = delete;
    OpenStream& operator=(const OpenStream&) = delete;

private:
    audio_object* object_;
};

class DeviceOutput : public AudioOutput {
public:
    DeviceOutput(std::function<audio_object*()> find_device,
                 std::function<std::chrono::steady_clock::time_point()> now)
        : find_device_(std::move(find_device)), now_(std::move(now))
    {
    }

    void play(const Pcm& pcm, const std::function<bool()>& keep_going) override
    {
        if (pcm.samples.empty() || pcm.sample_rate <= 0) return;
        // Looked for on this worker thread: finding a device can take a while
        // (a sound server that does not answer) and must not hold up whoever
        // made the speech object. A device that is not found, or does not
        // open, is looked for afresh a few seconds later: a sound server
        // started (or a headset plugged in) after the first name is then
        // used. Not sooner: each look tries the sound server and walks the
        // sound cards, and a failed open may leave memory behind in the sound
        // libraries; at every name of a long roll call on a machine without
        // sound, that would add up.
        const PcaudioLibrary* pcaudio = pcaudio_library();
        if (pcaudio == nullptr) return;
        if (!device_) {
            if (now_() < look_again_at_) return;
            device_.reset(find_device_());
        }

        constexpr audio_object_format kNativeS16 = std::endian::native == std::endian::little
                                                       ? AUDIO_OBJECT_FORMAT_S16LE
                                                       : AUDIO_OBJECT_FORMAT_S16BE;
        if (!device_ ||
            pcaudio->open(device_.get(), kNativeS16, static_cast<std::uint32_t>(pcm.sample_rate), 1) != 0) {
            device_.reset();
            // Counted from the failure: finding can itself take long.
            look_again_at_ = now_() + kLookForDeviceAgainAfter;
            return;
        }
        OpenStream stream(device_.get());

        // Written a tenth of a second at a time: each write blocks until the
        // device has room, and between pieces the owner may ask us to stop.
        const std::size_t piece = std::max<std::size_t>(1, static_cast<std::size_t>(pcm.sample_rate) / 10);
        for (std::size_t at = 0; at < pcm.samples.size(); at += piece) {
            if (!keep_going()) {
                pcaudio->flush(device_.get());
                return;
            }
            const std::size_t count = std::min(piece, pcm.samples.size() - at);
            if (pcaudio->write(device_.get(), pcm.samples.data() + at, count * sizeof(std::int16_t)) != 0)
                return;
        }
        pcaudio->drain(device_.get());
    }

private:
    std::function<audio_object*()> find_device_;
    std::function<std::chrono::steady_clock::time_point()> now_;
    std::chrono::steady_clock::time_point look_again_at_ = std::chrono::steady_clock::time_point::min();
    AudioObjectPtr device_;
};

class WavFolderOutput : public AudioOutput {
public:
    WavFolderOutput(std::filesystem::path folder, unsigned serial)
        : folder_(std::move(folder)), serial_(serial)
    {
    }

    void play(const Pcm& pcm, const std::function<bool()>& /*keep_going*/) override
    {
        if (pcm.samples.empty()) return;
        ++sequence_;
        const std::string name = std::to_string(serial_) + "-" + std::to_string(sequence_) + ".wav";
        std::string error;
        write_wav_file(folder_ / name, pcm, error);
    }

private:
    std::filesystem::path folder_;
    unsigned serial_;
    unsigned sequence_ = 0;
};

void put_u16(std::string& out, std::uint16_t value)
{
    out.push_back(static_cast<char>(value & 0xff));
    out.push_back(static_cast<char>(value >> 8));
}

void put_u32(std::string& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((value >> shift) & 0xff));
}

// A no-op in the shape ALSA wants for its error handler.
void drop_alsa_message(const char* /*file*/, int /*line*/, const char* /*function*/, int /*err*/,
                       const char* /*fmt*/, ...)
{
}

}  // namespace

audio_object* find_sound_device()
{
    const PcaudioLibrary* pcaudio = pcaudio_library();
    if (pcaudio == nullptr) return nullptr;
    silence_alsa_diagnostics();
    // The sound server shows the stream under the name of the program that
    // speaks, as it was started (glibc keeps it for us).
    const char* client = *program_invocation_short_name != '\0' ? program_invocation_short_name : "speech";
    return pcaudio->create_device(nullptr, client, "speech");
}

std::unique_ptr<AudioOutput> make_device_output(std::function<audio_object*()> find_device,
                                                std::function<std::chrono::steady_clock::time_point()> now)
{
    return std::make_unique<DeviceOutput>(std::move(find_device), std::move(now));
}

std::unique_ptr<AudioOutput> make_wav_folder_output(std::filesystem::path folder, unsigned serial)
{
    return std::make_unique<WavFolderOutput>(std::move(folder), serial);
}

bool write_wav_file(const std::filesystem::path& path, const Pcm& pcm, std::string& error)
{
    constexpr std::uint32_t kHeaderAfterSize = 36;  // RIFF size counts everything after its own field
    const std::uint64_t data_bytes = static_cast<std::uint64_t>(pcm.samples.size()) * 2;
    if (pcm.sample_rate <= 0) {
        error = "invalid sample rate";
        return false;
    }
    if (data_bytes > 0xffffffffULL - kHeaderAfterSize) {
        error = "too many samples for a WAV file";
        return false;
    }

    std::string bytes;
    bytes.reserve(44 + static_cast<std::size_t>(data_bytes));
    bytes += "RIFF";
    put_u32(bytes, static_cast<std::uint32_t>(kHeaderAfterSize + data_bytes));
    bytes += "WAVEfmt ";
    put_u32(bytes, 16);  // size of the PCM format block
    put_u16(bytes, 1);   // PCM
    put_u16(bytes, 1);   // mono
    put_u32(bytes, static_cast<std::uint32_t>(pcm.sample_rate));
    put_u32(bytes, static_cast<std::uint32_t>(pcm.sample_rate) * 2);  // bytes per second
    put_u16(bytes, 2);                                                // bytes per frame
    put_u16(bytes, 16);                                               // bits per sample
    bytes += "data";
    put_u32(bytes, static_cast<std::uint32_t>(data_bytes));
    for (const std::int16_t sample : pcm.samples) put_u16(bytes, static_cast<std::uint16_t>(sample));

    std::filesystem::path temporary = path;
    temporary += ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = "cannot create " + temporary.string();
            return false;
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            error = "cannot write " + temporary.string();
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        error = "cannot rename " + temporary.string() + ": " + ec.message();
        return false;
    }
    return true;
}

void silence_alsa_diagnostics()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (const AlsaLibrary* alsa = alsa_library()) alsa->set_error_handler(&drop_alsa_message);
    });
}

}  // namespace speech::detail
