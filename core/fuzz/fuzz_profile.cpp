// Any bytes as a configuration file: parsing and looking up must neither crash
// nor hand out more than the value buffer holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/profile.h"
#include "platform/text/gbk.h"

namespace {

void require(bool condition)
{
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const assoc::Profile profile = assoc::Profile::parse(bytes);

    for (const std::string& name : profile.section_names()) {
        for (std::string_view key : {"协会名称", "数据库密文", "k", ""}) {
            const std::string value = profile.value(name, key, "default");
            require(text::gbk_length(value) <= assoc::Profile::kValueLimit);
            require(value.find('\0') == std::string::npos);
        }
    }
    // A section that cannot be in any file (a name never holds "]") gives the default.
    require(profile.value("no]section", "k", "default") == "default");
    return 0;
}
