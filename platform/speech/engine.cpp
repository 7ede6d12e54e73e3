#include "platform/speech/engine.h"

#include <clocale>
#include <new>
#include <optional>

#include "platform/speech/audio_output.h"
#include "platform/speech/libraries.h"

namespace speech::detail {

namespace {

// Where the synthesis callback puts its samples. espeak-ng's callback carries
// no context of ours, so this is a global; it is set and read only while the
// engine mutex is held, by the thread inside espeak_ng_Synthesize.
std::vector<std::int16_t>* g_collecting = nullptr;

int collect_samples(short* wav, int count, espeak_EVENT* /*events*/)
{
    if (wav == nullptr || count <= 0 || g_collecting == nullptr) return 0;
    // An exception must not unwind through espeak-ng's C frames: give up on
    // this text instead (a non-zero return stops the synthesis).
    try {
        g_collecting->insert(g_collecting->end(), wav, wav + count);
    } catch (const std::bad_alloc&) {
        return 1;
    }
    return 0;
}

std::vector<std::string> parse_languages(const char* languages)
{
    // A sequence of (priority byte, NUL-terminated tag), ended by a zero byte.
    std::vector<std::string> tags;
    if (languages == nullptr) return tags;
    const char* p = languages;
    while (*p != '\0') {
        ++p;
        std::string tag(p);
        p += tag.size() + 1;
        tags.push_back(std::move(tag));
    }
    return tags;
}

}  // namespace

Engine& Engine::instance()
{
    static Engine* const engine = new Engine;
    return *engine;
}

void Engine::prepare()
{
    std::call_once(prepared_, [this] {
        // espeak-ng's own order; see the class comment.
        for (const char* name : {"C.UTF-8", "UTF-8", "en_US.UTF-8"}) {
            if (std::setlocale(LC_CTYPE, name) != nullptr) return;
        }
        start();
    });
}

bool Engine::start()
{
    std::call_once(started_, [this] {
        std::lock_guard lock(mutex_);
        espeak_ = espeak_library();
        if (espeak_ == nullptr) return;
        // ALSA came in with espeak-ng, and espeak-ng's output start below
        // already looks for a device.
        silence_alsa_diagnostics();
        espeak_->initialize_path(nullptr);
        espeak_ng_ERROR_CONTEXT context = nullptr;
        const espeak_ng_STATUS status = espeak_->initialize(&context);
        espeak_->clear_error_context(&context);
        // Past a failed start, espeak-ng 1.51 crashes on the first voice list
        // or synthesis, so the engine stays closed for good.
        if (status != ENS_OK) return;
        sample_rate_ = espeak_->get_sample_rate();
        if (sample_rate_ <= 0) return;
        ready_ = true;
    });
    return ready_;
}

std::vector<VoiceEntry> Engine::voices()
{
    std::vector<VoiceEntry> entries;
    std::lock_guard lock(mutex_);
    if (!ready_) return entries;
    const espeak_VOICE** list = espeak_->list_voices(nullptr);
    for (std::size_t i = 0; list != nullptr && list[i] != nullptr; ++i) {
        const espeak_VOICE* voice = list[i];
        entries.push_back(VoiceEntry{voice->name != nullptr ? voice->name : "",
                                     voice->identifier != nullptr ? voice->identifier : "",
                                     parse_languages(voice->languages)});
    }
    return entries;
}

const std::string& Engine::voice_identifier()
{
    std::call_once(voice_chosen_, [this] {
        if (!start()) return;
        // Reading the list opens every voice file the engine has: once is enough.
        const std::vector<VoiceEntry> list = voices();
        const std::optional<std::size_t> chosen = choose_voice(list);
        voice_identifier_ = chosen ? list[*chosen].identifier : std::string(ESPEAKNG_DEFAULT_VOICE);
    });
    return voice_identifier_;
}

std::optional<Pcm> Engine::synthesize(const std::string& voice_identifier, const std::string& utf8_text)
{
    if (!start()) return std::nullopt;
    std::lock_guard lock(mutex_);
    if (!output_tried_) {
        output_tried_ = true;
        if (espeak_->initialize_output(ENOUTPUT_MODE_SYNCHRONOUS, 0, nullptr) == ENS_OK) {
            espeak_->set_synth_callback(&collect_samples);
            output_ready_ = true;
        }
    }
    if (!output_ready_) return std::nullopt;
    // Loading a voice reads its dictionary; skip it when the last text used
    // the same one, which is the usual case.
    if (voice_identifier != current_voice_) {
        if (espeak_->set_voice_by_name(voice_identifier.c_str()) != ENS_OK) {
            current_voice_.clear();
            return std::nullopt;
        }
        current_voice_ = voice_identifier;
    }

    Pcm pcm;
    pcm.sample_rate = sample_rate_;
    g_collecting = &pcm.samples;
    const espeak_ng_STATUS status = espeak_->synthesize(utf8_text.c_str(), utf8_text.size() + 1, 0,
                                                        POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, nullptr);
    g_collecting = nullptr;
    if (status != ENS_OK) return std::nullopt;
    return pcm;
}

}  // namespace speech::detail
