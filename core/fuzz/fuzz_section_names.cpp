// Any bytes as a configuration file: the section-name list the configuration
// looks through must fit its buffer, hold whole characters only, and reach as
// far as the buffer allows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/configuration.h"
#include "core/profile.h"
#include "platform/text/gbk.h"

namespace {

void require(bool condition)
{
    if (!condition) std::abort();
}

// Byte length of the UTF-8 character that starts with `lead`.
std::size_t utf8_length(unsigned char lead)
{
    if (lead < 0x80) return 1;
    if (lead < 0xE0) return 2;
    if (lead < 0xF0) return 3;
    return 4;
}

bool is_continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    using assoc::kSectionListBuffer;
    const assoc::Profile profile =
        assoc::Profile::parse(std::string_view(reinterpret_cast<const char*>(data), size));

    std::vector<std::string> all;
    for (std::string& name : profile.section_names()) {
        if (!name.empty()) all.push_back(std::move(name));
    }
    const std::vector<std::string> shown = assoc::visible_section_names(profile);
    require(shown.size() <= all.size());

    // Every shown name is the file's name or a cut of it at a character
    // boundary, and the list with its terminators never outgrows the buffer.
    std::size_t used = 1;  // the terminator that ends the list
    std::size_t whole = 0;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const std::string& name = shown[i];
        require(!name.empty());
        require(all[i].starts_with(name));
        require(name.size() == all[i].size() || !is_continuation(all[i][name.size()]));
        require(i + 1 == shown.size() || name == all[i]);
        used += text::gbk_length(name) + 1;
        require(used <= kSectionListBuffer);
        if (name == all[i]) whole = i + 1;
    }

    // A name that is not shown whole did not fit, and its cut stops only
    // where the next character would no longer fit.
    if (whole < all.size()) {
        require(shown.size() <= whole + 1);
        std::size_t before = 1;
        for (std::size_t i = 0; i < whole; ++i) before += text::gbk_length(all[i]) + 1;
        const std::string& name = all[whole];
        require(before + text::gbk_length(name) + 1 >= kSectionListBuffer);
        const std::string cut = shown.size() > whole ? shown[whole] : std::string();
        const std::string next =
            name.substr(cut.size(), utf8_length(static_cast<unsigned char>(name[cut.size()])));
        require(before + text::gbk_length(cut + next) + 1 > kSectionListBuffer);
    }
    return 0;
}
