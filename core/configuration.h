#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace assoc {

class Profile;

// What load_configuration needs from the window layer when the file is missing.
struct ConfigurationHost {
    virtual ~ConfigurationHost();
    // Shows the text with the stop icon and returns once the user has closed it.
    virtual void show_stop_message(const std::string& utf8_text) = 0;
    // Asks for the login window to close later, from the event loop.
    virtual void request_login_close() = 0;
};

// Reads program_dir + "/usertext/userconfig.ini": the association name and the
// database-password ciphertext of section "配置信息", then deciphers the
// password. Both outputs are UTF-8. When the file is missing the host shows a
// stop message and is asked to close the login window; both outputs are left as
// they were. When the section is missing the association name is left as it
// was and the password becomes "".
// The section-name list is read into a buffer of this many bytes: each name
// takes its GBK bytes and a terminator, and the list ends with one more.
inline constexpr std::size_t kSectionListBuffer = 204800;

// The non-empty section names of `profile` as far as they fit into the list
// buffer, in file order. A name that does not fit is cut to the whole
// characters that still do and ends the list, the way the profile functions
// fill a buffer that is too small.
std::vector<std::string> visible_section_names(const Profile& profile);

void load_configuration(const std::string& program_dir, ConfigurationHost& host,
                        std::string& association_name, std::string& database_password);

}  // namespace assoc
