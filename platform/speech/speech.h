#pragma once

#include <memory>
#include <string>

// A speech object: it owns a queue of texts and speaks them one after another,
// in the order they were handed in, on its own audio stream. speak() only
// queues; the voice works on a thread of the object's own, so the caller never
// waits for speech. Objects are independent: each has its own queue, so one
// object's texts never wait behind another's.
//
// When ASSOCMAN_SPEECH_WAV_DIR names a folder at the time an object is made,
// that object writes each spoken text to a WAV file there
// ("<object serial>-<sequence>.wav") instead of playing it.
namespace speech {

class ETextToSpeech {
public:
    // Settles the process's character locale for the engine if no object did
    // yet (on the caller's thread, as espeak-ng sets it) and returns: the
    // engine, the voice list and the sound device are left to the object's
    // worker and its first text, so making an object never waits for them or
    // for a sound server. The voice is a Chinese voice where one is installed
    // (the Mandarin voice that reads characters as Mandarin before any other),
    // else the engine's default voice. Without a usable speech engine the
    // object has no voice and every text is silently dropped.
    ETextToSpeech();

    // Exit clean-up: the text being played may finish (within a few seconds at
    // most), texts not yet started are dropped, and the voice and audio stream
    // are released. Never blocks for longer than that bound.
    ~ETextToSpeech();

    ETextToSpeech(const ETextToSpeech&) = delete;
    ETextToSpeech& operator=(const ETextToSpeech&) = delete;

    // Returns at once. The text is spoken after every text still queued on this
    // object; nothing queued is cut short. An empty text makes no sound.
    void speak(const std::string& utf8_text);

    // There is an engine to speak with and a worker to do it. Asked before
    // any text, this starts the engine (a few milliseconds), never the sound
    // device: whether a device takes the samples is not part of it, and a
    // missing device is looked for again, every few seconds at most, at the
    // next text until one is found.
    bool has_voice() const;

    // The chosen voice as the engine names it (for example "cmn-Latn-pinyin");
    // empty without a voice. The voice list is read once per process, at the
    // first text or here, whichever comes first; this may wait for the list
    // (a few milliseconds), never for a sound device.
    std::string voice_name() const;

    // Waits until every queued text has been spoken. True when the queue
    // drained within the time; also true for an object without a voice.
    bool wait_until_idle(int timeout_ms);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace speech
