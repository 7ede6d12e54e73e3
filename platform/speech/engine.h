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
// call into it goes through this one object and its mutex. It only synthesises
// into memory; the sound device is the speech objects' business.
//
// It starts in three steps, each once per process:
//  - start(): the engine's data (phonemes, dictionaries). espeak-ng sets the
//    process's character locale here, which no other thread may be using at
//    that moment, so this runs on the thread that makes the speech objects,
//    before any of their workers. It takes about a millisecond.
//  - voice_identifier(): the voice list, read and chosen from once. Every
//    synthesis asks for the voice first, so whoever asks for it never waits
//    behind the output's start below.
//  - the output, on the first synthesis: espeak-ng looks for a sound device
//    there (and waits for a sound server that does not answer), even though
//    it only hands the samples back to us; so only a speech object's own
//    worker ever gets that far.
class Engine {
public:
    // Lives until the process ends: a worker left behind at exit (a sound
    // device that does not answer) may still be inside it.
    static Engine& instance();

    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Starts the engine's data the first time. False when espeak-ng could not
    // start (no data files, for one); then nothing else here does anything.
    bool start();

    // The installed voices in the engine's own order; empty when not ready.
    std::vector<VoiceEntry> voices();

    // The voice to speak with, chosen from the voice list the first time it
    // is asked for (choose_voice, else the engine's default voice); empty when
    // not ready. Waits while another thread is reading the list.
    const std::string& voice_identifier();

    // Synthesises `utf8_text` as plain text (no markup) with the voice the
    // engine knows as `voice_identifier`, starting the output first if it is
    // the first text. nullopt when not ready or when the engine refused the
    // output, the voice or the text.
    std::optional<Pcm> synthesize(const std::string& voice_identifier, const std::string& utf8_text);

private:
    Engine() = default;
    ~Engine() = default;

    std::mutex mutex_;
    std::once_flag started_;
    std::atomic<bool> ready_ = false;
    std::once_flag voice_chosen_;
    std::string voice_identifier_;
    bool output_tried_ = false;
    bool output_ready_ = false;
    int sample_rate_ = 0;
    std::string current_voice_;
};

}  // namespace speech::detail
