#include "platform/speech/speech.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/speech/audio_output.h"
#include "platform/speech/engine.h"
#include "platform/speech/voice_choice.h"

namespace speech {

namespace {

using Clock = std::chrono::steady_clock;

// At exit the text being played may run on this long before it is cut; a
// name takes a second or two.
constexpr auto kExitGrace = std::chrono::milliseconds(3000);
// Extra time for the worker to let go of the device after that.
constexpr auto kExitSlack = std::chrono::milliseconds(1000);

std::atomic<unsigned> g_next_serial{1};

// What the object and its worker share. The worker holds its own reference,
// so in the worst case (a sound device that never returns) the object can go
// and leave the worker behind without anything dangling.
struct Shared {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::string> queue;
    bool busy = false;      // a text is taken off the queue and not yet done
    bool stopping = false;  // the object is being destroyed
    bool finished = false;  // the worker has released everything and returns
    Clock::time_point abandon_at;
};

void run_worker(std::shared_ptr<Shared> shared, std::unique_ptr<detail::AudioOutput> output)
{
    detail::Engine& engine = detail::Engine::instance();
    const auto keep_going = [&shared] {
        std::lock_guard lock(shared->mutex);
        return !shared->stopping || Clock::now() < shared->abandon_at;
    };

    for (;;) {
        std::string text;
        {
            std::unique_lock lock(shared->mutex);
            shared->changed.wait(lock, [&] { return shared->stopping || !shared->queue.empty(); });
            if (shared->stopping) break;
            text = std::move(shared->queue.front());
            shared->queue.pop_front();
            shared->busy = true;
        }
        try {
            // The engine and the voice list are started once for all objects,
            // by whoever needs them first: usually this, at the first text,
            // well after start-up. Without an engine the text stays silent.
            const std::string& voice_identifier = engine.voice_identifier();
            if (std::optional<detail::Pcm> pcm = engine.synthesize(voice_identifier, text)) {
                output->play(*pcm, keep_going);
            }
        } catch (const std::exception&) {
            // Out of memory for one text: that text stays silent, the next ones are still spoken.
        }
        {
            std::lock_guard lock(shared->mutex);
            shared->busy = false;
        }
        shared->changed.notify_all();
    }

    output.reset();
    {
        std::lock_guard lock(shared->mutex);
        shared->finished = true;
    }
    shared->changed.notify_all();
}

}  // namespace

struct ETextToSpeech::Impl {
    unsigned serial = 0;
    bool has_worker = false;
    std::shared_ptr<Shared> shared = std::make_shared<Shared>();
    std::thread worker;
};

ETextToSpeech::ETextToSpeech() : impl_(std::make_unique<Impl>())
{
    impl_->serial = g_next_serial.fetch_add(1);

    // Only the locale is settled here, on the caller's thread (see
    // Engine::prepare); the engine, the voice list and anything that may look
    // for a sound device wait for the worker's first text.
    detail::Engine::instance().prepare();

    std::unique_ptr<detail::AudioOutput> output;
    const char* wav_folder = std::getenv("ASSOCMAN_SPEECH_WAV_DIR");
    if (wav_folder != nullptr && *wav_folder != '\0') {
        output = detail::make_wav_folder_output(wav_folder, impl_->serial);
    } else {
        output = detail::make_device_output();
    }

    try {
        impl_->worker = std::thread(run_worker, impl_->shared, std::move(output));
    } catch (const std::system_error&) {
        // No thread, no voice: the object stays silent like one without an engine.
        return;
    }
    impl_->has_worker = true;
}

ETextToSpeech::~ETextToSpeech()
{
    if (!impl_->worker.joinable()) return;
    Shared& shared = *impl_->shared;
    bool finished = false;
    {
        std::unique_lock lock(shared.mutex);
        shared.stopping = true;
        shared.queue.clear();
        shared.abandon_at = Clock::now() + kExitGrace;
        shared.changed.notify_all();
        finished =
            shared.changed.wait_until(lock, shared.abandon_at + kExitSlack, [&] { return shared.finished; });
    }
    if (finished) {
        impl_->worker.join();
    } else {
        // The device has not returned within the bound; the worker keeps its
        // own reference to what it uses and ends when the device lets it go.
        impl_->worker.detach();
    }
}

void ETextToSpeech::speak(const std::string& utf8_text)
{
    if (!impl_->has_worker || utf8_text.empty()) return;
    {
        std::lock_guard lock(impl_->shared->mutex);
        impl_->shared->queue.push_back(utf8_text);
    }
    impl_->shared->changed.notify_all();
}

bool ETextToSpeech::has_voice() const { return impl_->has_worker && detail::Engine::instance().start(); }

std::string ETextToSpeech::voice_name() const
{
    if (!has_voice()) return {};
    // Read once, at the first text or here; a worker only ever looks for a
    // sound device after that, so this never waits for one.
    return detail::short_voice_name(detail::Engine::instance().voice_identifier());
}

bool ETextToSpeech::wait_until_idle(int timeout_ms)
{
    if (!impl_->has_worker) return true;
    Shared& shared = *impl_->shared;
    std::unique_lock lock(shared.mutex);
    return shared.changed.wait_for(lock, std::chrono::milliseconds(std::max(timeout_ms, 0)),
                                   [&] { return shared.queue.empty() && !shared.busy; });
}

}  // namespace speech
