#include "platform/speech/voice_choice.h"

#include <algorithm>
#include <string_view>

namespace speech::detail {

namespace {

// Voice names and language tags are ASCII in practice; bytes of other UTF-8
// characters are left alone so "中文" still matches byte for byte.
std::string ascii_lower(std::string_view text)
{
    std::string lowered(text);
    for (char& c : lowered) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lowered;
}

bool is_chinese_language(std::string_view tag)
{
    const std::string lowered = ascii_lower(tag);
    return lowered == "zh" || lowered.starts_with("zh-");
}

bool says_chinese(const VoiceEntry& voice)
{
    const std::string name = ascii_lower(voice.name);
    if (name.find("chinese") != std::string::npos || name.find("中文") != std::string::npos) return true;
    return std::any_of(voice.languages.begin(), voice.languages.end(),
                       [](const std::string& tag) { return is_chinese_language(tag); });
}

bool reads_characters_as_mandarin(const VoiceEntry& voice)
{
    return std::any_of(voice.languages.begin(), voice.languages.end(),
                       [](const std::string& tag) { return ascii_lower(tag) == "cmn-latn-pinyin"; });
}

}  // namespace

std::optional<std::size_t> choose_voice(const std::vector<VoiceEntry>& voices)
{
    std::optional<std::size_t> first_chinese;
    for (std::size_t i = 0; i < voices.size(); ++i) {
        if (reads_characters_as_mandarin(voices[i])) return i;
        if (!first_chinese && says_chinese(voices[i])) first_chinese = i;
    }
    return first_chinese;
}

std::string short_voice_name(const std::string& identifier)
{
    const std::size_t slash = identifier.find_last_of('/');
    return slash == std::string::npos ? identifier : identifier.substr(slash + 1);
}

}  // namespace speech::detail
