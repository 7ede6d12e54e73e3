#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace speech::detail {

// One entry of the engine's voice list.
struct VoiceEntry {
    std::string name;                    // "Chinese (Mandarin, latin as Pinyin)"
    std::string identifier;              // "sit/cmn-Latn-pinyin", what the engine selects by
    std::vector<std::string> languages;  // "cmn-latn-pinyin", "zh-cmn", "zh"
};

// The index of the voice to speak with, walking the list in the engine's order:
// the first voice that reads Chinese characters as Mandarin syllables
// (language "cmn-latn-pinyin"), else the first voice whose name or languages
// say Chinese. The plain Mandarin voice comes earlier in the list but reads the
// tone digits of its own pinyin as English numbers ("zhang1 san1" becomes
// "... one"), which is why it is passed over when the other one exists.
// No Chinese voice at all: nullopt, and the engine's default voice stays.
std::optional<std::size_t> choose_voice(const std::vector<VoiceEntry>& voices);

// The last path component of an identifier: "sit/cmn-Latn-pinyin" -> "cmn-Latn-pinyin".
std::string short_voice_name(const std::string& identifier);

}  // namespace speech::detail
