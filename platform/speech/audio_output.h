#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "platform/speech/engine.h"

struct audio_object;

namespace speech::detail {

// Where one speech object's samples go. Used only by that object's worker
// thread. Failures are silent by design: a speech object that cannot be heard
// reports nothing.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;

    // Plays (or stores) one text's samples and returns when that is done.
    // `keep_going` is asked between pieces; once it says false, playback is
    // abandoned.
    virtual void play(const Pcm& pcm, const std::function<bool()>& keep_going) = 0;
};

// The sound device through pcaudiolib (PulseAudio, then ALSA, ...): a new
// device object, or null when there is none.
audio_object* find_sound_device();

// After a device was not found, or did not open, the texts of this long are
// not played, and the first text after it looks again.
inline constexpr std::chrono::seconds kLookForDeviceAgainAfter{5};

// Plays on the device that `find_device` gives. Nothing is looked for before
// the first play, so making one never blocks; a device not found, or one that
// does not open, is looked for again at the first text once
// kLookForDeviceAgainAfter has passed by `now`. The stream is opened for each
// text and closed after it, so the device is not held between names.
std::unique_ptr<AudioOutput> make_device_output(
    std::function<audio_object*()> find_device = find_sound_device,
    std::function<std::chrono::steady_clock::time_point()> now = std::chrono::steady_clock::now);

// One WAV file per text in `folder`, named "<serial>-<sequence>.wav" with the
// sequence counting from 1.
std::unique_ptr<AudioOutput> make_wav_folder_output(std::filesystem::path folder, unsigned serial);

// Writes 16-bit mono PCM as a RIFF/WAVE file, whole to a temporary name in the
// same folder and then renamed into place, so a reader never sees half a file.
bool write_wav_file(const std::filesystem::path& path, const Pcm& pcm, std::string& error);

// ALSA prints its complaints (no card, unknown PCM) straight to stderr; a
// machine without sound is normal for us, so they are dropped. Process-wide;
// only the first call does anything.
void silence_alsa_diagnostics();

}  // namespace speech::detail
