// First-run setup: creates <program folder>/usertext with a new encrypted
// database, its first administrator and the configuration that holds the
// database password as ciphertext.
#pragma once

#include <string>

namespace setup {

inline constexpr char kAdminName[] = "admin";
inline constexpr char kAdminPassword[] = "admin123";
inline constexpr char kAdminRights[] = "超级管理员";

enum class Outcome { created, exists, failed };

struct Result {
    Outcome outcome = Outcome::failed;
    std::string folder;  // the usertext folder
    std::string error;   // why it failed
    // The database password, shown once to the operator who needs it to
    // rekey the database later; only set when the folder was created.
    std::string database_password;
};

// An existing usertext (of any kind) is never touched. The folder is built
// under a temporary name and renamed into place, so a failed setup leaves
// nothing behind.
Result run_setup(const std::string& program_folder);

}  // namespace setup
