#include "platform/speech/libraries.h"

#include <dlfcn.h>

#include <optional>

namespace speech::detail {

namespace {

// Finds each of a library's functions by name; false when the library or any
// of them is missing.
class Loader {
public:
    explicit Loader(const char* soname) : handle_(dlopen(soname, RTLD_NOW | RTLD_LOCAL)) {}

    template <typename Function>
    void find(Function& function, const char* name)
    {
        function = handle_ != nullptr ? reinterpret_cast<Function>(dlsym(handle_, name)) : nullptr;
        complete_ = complete_ && function != nullptr;
    }

    bool complete() const { return handle_ != nullptr && complete_; }

private:
    void* handle_;
    bool complete_ = true;
};

// Loads the library the first time it is asked for and fills `Library` with
// the functions `find_all` names; the same answer every time after, null
// when the library or any of those functions is missing.
template <typename Library, typename FindAll>
const Library* load_once(const char* soname, FindAll find_all)
{
    static const std::optional<Library> library = [&]() -> std::optional<Library> {
        Loader loader(soname);
        Library functions{};
        find_all(loader, functions);
        if (!loader.complete()) return std::nullopt;
        return functions;
    }();
    return library ? &*library : nullptr;
}

}  // namespace

const EspeakLibrary* espeak_library()
{
    return load_once<EspeakLibrary>(ASSOCMAN_ESPEAKNG_SONAME, [](Loader& loader, EspeakLibrary& l) {
        loader.find(l.initialize_path, "espeak_ng_InitializePath");
        loader.find(l.initialize, "espeak_ng_Initialize");
        loader.find(l.clear_error_context, "espeak_ng_ClearErrorContext");
        loader.find(l.get_sample_rate, "espeak_ng_GetSampleRate");
        loader.find(l.list_voices, "espeak_ListVoices");
        loader.find(l.initialize_output, "espeak_ng_InitializeOutput");
        loader.find(l.set_synth_callback, "espeak_SetSynthCallback");
        loader.find(l.set_voice_by_name, "espeak_ng_SetVoiceByName");
        loader.find(l.synthesize, "espeak_ng_Synthesize");
    });
}

const PcaudioLibrary* pcaudio_library()
{
    return load_once<PcaudioLibrary>(ASSOCMAN_PCAUDIO_SONAME, [](Loader& loader, PcaudioLibrary& l) {
        loader.find(l.create_device, "create_audio_device_object");
        loader.find(l.open, "audio_object_open");
        loader.find(l.close, "audio_object_close");
        loader.find(l.destroy, "audio_object_destroy");
        loader.find(l.write, "audio_object_write");
        loader.find(l.drain, "audio_object_drain");
        loader.find(l.flush, "audio_object_flush");
    });
}

const AlsaLibrary* alsa_library()
{
    return load_once<AlsaLibrary>(ASSOCMAN_ALSA_SONAME, [](Loader& loader, AlsaLibrary& l) {
        loader.find(l.set_error_handler, "snd_lib_error_set_handler");
    });
}

}  // namespace speech::detail
