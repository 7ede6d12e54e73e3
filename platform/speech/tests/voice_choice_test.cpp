#include "platform/speech/voice_choice.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace speech::detail {
namespace {

const VoiceEntry kAfrikaans{"Afrikaans", "gmw/af", {"af"}};
const VoiceEntry kEnglish{"English (Great Britain)", "gmw/en", {"en-gb", "en"}};
const VoiceEntry kMandarinLatinAsEnglish{
    "Chinese (Mandarin, latin as English)", "sit/cmn", {"cmn", "zh-cmn", "zh"}};
const VoiceEntry kMandarinPinyin{
    "Chinese (Mandarin, latin as Pinyin)", "sit/cmn-Latn-pinyin", {"cmn-latn-pinyin", "zh-cmn", "zh"}};
const VoiceEntry kHakka{"Hakka Chinese", "sit/hak", {"hak"}};
const VoiceEntry kCantonese{"Chinese (Cantonese)", "sit/yue", {"yue", "zh-yue", "zh"}};

struct ChoiceCase {
    const char* what;
    std::vector<VoiceEntry> voices;
    std::optional<std::size_t> expected;
};

TEST(ChooseVoice, PicksTheExpectedEntry)
{
    const ChoiceCase cases[] = {
        // The installed espeak-ng order: plain Mandarin comes first but is passed over.
        {"engine order", {kAfrikaans, kMandarinLatinAsEnglish, kMandarinPinyin, kHakka, kCantonese}, 2},
        {"pinyin voice after Cantonese", {kCantonese, kEnglish, kMandarinPinyin}, 2},
        {"no pinyin voice: first Chinese", {kEnglish, kMandarinLatinAsEnglish, kCantonese}, 1},
        {"only Cantonese", {kEnglish, kCantonese}, 1},
        {"name alone says Chinese", {kEnglish, kHakka}, 1},
        {"name in capitals", {kEnglish, {"CHINESE TEST", "x/t", {"xx"}}}, 1},
        {"name in Chinese", {kEnglish, {"普通话中文", "x/p", {"xx"}}}, 1},
        {"language zh alone", {kEnglish, {"Putonghua", "x/p", {"ZH"}}}, 1},
        {"language zh-tw", {kEnglish, {"Guoyu", "x/g", {"zh-tw"}}}, 1},
        {"zh as a prefix of another tag is not Chinese", {{"Zhuang", "x/za", {"zha"}}}, std::nullopt},
        {"pinyin tag in capitals", {kMandarinLatinAsEnglish, {"M", "x/m", {"CMN-Latn-Pinyin"}}}, 1},
        {"no Chinese voice", {kAfrikaans, kEnglish}, std::nullopt},
        {"empty list", {}, std::nullopt},
    };
    for (const ChoiceCase& c : cases) EXPECT_EQ(choose_voice(c.voices), c.expected) << c.what;
}

}  // namespace
}  // namespace speech::detail
