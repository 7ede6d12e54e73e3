// The speech engine and the sound libraries are loaded when speech is first
// needed, not with the program: together with what they bring (the sound
// server's client, the audio codecs) they are some twenty libraries, and the
// program's first window needs none of them. Each is loaded once per process
// and stays loaded; the functions are the libraries' own, called through
// pointers of the types their headers declare.
#pragma once

#include <alsa/asoundlib.h>
#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>
#include <pcaudiolib/audio.h>

namespace speech::detail {

struct EspeakLibrary {
    decltype(&espeak_ng_InitializePath) initialize_path;
    decltype(&espeak_ng_Initialize) initialize;
    decltype(&espeak_ng_ClearErrorContext) clear_error_context;
    decltype(&espeak_ng_GetSampleRate) get_sample_rate;
    decltype(&espeak_ListVoices) list_voices;
    decltype(&espeak_ng_InitializeOutput) initialize_output;
    decltype(&espeak_SetSynthCallback) set_synth_callback;
    decltype(&espeak_ng_SetVoiceByName) set_voice_by_name;
    decltype(&espeak_ng_Synthesize) synthesize;
};

struct PcaudioLibrary {
    decltype(&create_audio_device_object) create_device;
    decltype(&audio_object_open) open;
    decltype(&audio_object_close) close;
    decltype(&audio_object_destroy) destroy;
    decltype(&audio_object_write) write;
    decltype(&audio_object_drain) drain;
    decltype(&audio_object_flush) flush;
};

struct AlsaLibrary {
    decltype(&snd_lib_error_set_handler) set_error_handler;
};

// Null when the library or one of its functions is not there; then that
// part of speech stays silent, as without a sound device.
const EspeakLibrary* espeak_library();
const PcaudioLibrary* pcaudio_library();
const AlsaLibrary* alsa_library();

}  // namespace speech::detail
