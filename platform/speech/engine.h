#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/speech/voice_choice.h"

namespace speech::detail {

struct EspeakLibrary;

// 16-bit mono samples at the engine's rate.
struct Pcm {
    std::vector<std::int16_t> samples;
    int sample_rate = 0;
};

// espeak-ng is one engine per process and keeps its state in globals, so every
// call into it goes through this one object and its mutex. It only synthesises
// into memory; the sound device is the speech objects' business.
//
// It starts in steps, each once per process:
//  - prepare(): on the thread that makes the speech objects, before any of
//    their workers. espeak-ng's start sets the process's character locale
//    (LC_CTYPE) to the first of "C.UTF-8", "UTF-8" and "en_US.UTF-8" the
//    system has, else to the one the environment names, and no other thread
//    may be using the locale while it changes. So the same setting is made
//    here, before any worker exists; when espeak-ng later names the locale
//    the process already has, the C library returns without changing
//    anything. Only when none of the three is there does the engine start
//    here and now, as naming the environment's locale again is a change.
//  - start(): loads espeak-ng (which brings the sound libraries) and the
//    engine's data (phonemes, dictionaries), some milliseconds; by the first
//    worker with a text, or whoever asks first whether there is a voice.
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

    // See above: the locale, on the thread that makes the speech objects,
    // before any of their workers start. Only the first call does anything.
    void prepare();

    // Starts the engine the first time, after prepare(). False when espeak-ng
    // is not there or could not start (no data files, for one); then nothing
    // else here does anything.
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
    std::once_flag prepared_;
    std::once_flag started_;
    const EspeakLibrary* espeak_ = nullptr;
    std::atomic<bool> ready_ = false;
    std::once_flag voice_chosen_;
    std::string voice_identifier_;
    bool output_tried_ = false;
    bool output_ready_ = false;
    int sample_rate_ = 0;
    std::string current_voice_;
};

}  // namespace speech::detail
