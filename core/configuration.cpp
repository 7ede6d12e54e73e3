#include "core/configuration.h"

#include <filesystem>
#include <string_view>
#include <vector>

#include "core/cipher.h"
#include "core/profile.h"
#include "platform/secure/wipe.h"
#include "platform/text/gbk.h"

namespace assoc {
namespace {

constexpr std::string_view kSection = "配置信息";
constexpr std::string_view kNameKey = "协会名称";
constexpr std::string_view kCipherKey = "数据库密文";
constexpr std::string_view kDefaultName = "Quillet";
constexpr std::string_view kDefaultCipher = "Rv7KqWzM";
constexpr std::string_view kMissingMessage = "抱歉，获取系统配置文件出错！";
// Anything of that name counts, a directory or a dangling link included: the
// file is only looked up, not opened.
bool entry_exists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

}  // namespace

ConfigurationHost::~ConfigurationHost() = default;

std::vector<std::string> visible_section_names(const Profile& profile)
{
    std::vector<std::string> names;
    std::size_t room = kSectionListBuffer - 1;
    for (const std::string& name : profile.section_names()) {
        if (name.empty()) continue;  // "[]" is not listed
        const std::size_t length = text::gbk_length(name);
        if (length + 1 >= room) {
            if (room > 1) {
                std::string cut = text::gbk_prefix(name, room - 1);
                if (!cut.empty()) names.push_back(std::move(cut));
            }
            break;
        }
        names.push_back(name);
        room -= length + 1;
    }
    return names;
}

void load_configuration(const std::string& program_dir, ConfigurationHost& host,
                        std::string& association_name, std::string& database_password)
{
    const std::string path = program_dir + "/usertext/userconfig.ini";
    if (!entry_exists(path)) {
        host.show_stop_message(std::string(kMissingMessage));
        host.request_login_close();
        return;
    }

    const Profile profile = Profile::read_file(path);
    std::string ciphertext;
    for (const std::string& name : visible_section_names(profile)) {
        // Byte for byte: a stray space or a look-alike character means no match.
        if (name != kSection) continue;
        association_name = profile.value(kSection, kNameKey, kDefaultName);
        ciphertext = profile.value(kSection, kCipherKey, kDefaultCipher);
        break;
    }

    std::string bytes = decodebin(ciphertext, kKeyText, kDesAlgorithm);
    std::string text = text::bytes_to_text(bytes);
    database_password = text::from_gbk(text);
    secure::wipe(text);
    secure::wipe(bytes);
    secure::wipe(ciphertext);
}

}  // namespace assoc
