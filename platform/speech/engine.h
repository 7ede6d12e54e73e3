#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/speech/voice_choice.h"

namespace speech::detail {

// 16-bit mono samples at the engine's rate.
struct Pcm {
    std::vector<std::int16_t> samples;
    int sample_rate = 0;
};

// espeak-ng is one engine per process and keeps its state in globals, so every
// call into it goes through this one object and its mutex. It is started on
// first use and stopped when the process ends; it only synthesises into memory
// and never touches an audio device, so a slow or missing device cannot hold
// the lock.
class Engine {
public:
    static Engine& instance();

    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // False when espeak-ng could not start (no data files, for one); then
    // nothing else here does anything.
    bool ready() const;

    // The installed voices in the engine's own order; empty when not ready.
    std::vector<VoiceEntry> voices();

    // Synthesises `utf8_text` as plain text (no markup) with the voice the
    // engine knows as `voice_identifier`. nullopt when not ready or when the
    // engine refused the voice or the text.
    std::optional<Pcm> synthesize(const std::string& voice_identifier, const std::string& utf8_text);

private:
    Engine();
    ~Engine();

    std::mutex mutex_;
    std::atomic<bool> ready_ = false;
    int sample_rate_ = 0;
    std::string current_voice_;
};

}  // namespace speech::detail
