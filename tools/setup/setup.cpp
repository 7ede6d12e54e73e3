#include "tools/setup/setup.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/random.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <utility>

#include "assocman/database/database.h"
#include "core/cipher.h"
#include "core/digest.h"
#include "platform/db/db.h"
#include "platform/secure/wipe.h"
#include "platform/text/gbk.h"

namespace setup {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kPasswordLength = 16;
constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

// Removes the half-built folder unless the setup got to the end.
class BuildFolder {
public:
    explicit BuildFolder(std::string path) : path_(std::move(path)) {}
    ~BuildFolder()
    {
        if (path_.empty()) return;
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    BuildFolder(const BuildFolder&) = delete;
    BuildFolder& operator=(const BuildFolder&) = delete;
    const std::string& path() const { return path_; }
    void keep() { path_.clear(); }

private:
    std::string path_;
};

bool random_password(std::string& out)
{
    out.clear();
    std::array<unsigned char, 64> pool{};
    while (out.size() < kPasswordLength) {
        const ssize_t got = ::getrandom(pool.data(), pool.size(), 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            secure::fill(pool.data(), pool.size(), 0);
            return false;
        }
        for (ssize_t i = 0; i < got && out.size() < kPasswordLength; ++i) {
            // 248 is the largest multiple of 62 below 256: taking only bytes
            // below it keeps every character equally likely.
            if (pool[static_cast<std::size_t>(i)] < 248) {
                out += kAlphabet[pool[static_cast<std::size_t>(i)] % kAlphabet.size()];
            }
        }
    }
    secure::fill(pool.data(), pool.size(), 0);
    return true;
}

// Written whole and flushed to disk before the folder is renamed into place.
bool write_private_file(const std::string& path, const std::string& bytes, std::string& error)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = "Cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    std::size_t done = 0;
    bool ok = true;
    while (ok && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            ok = false;
        else
            done += static_cast<std::size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    if (!ok) error = "Cannot write " + path + ": " + std::strerror(errno);
    if (::close(fd) != 0 && ok) {
        error = "Cannot write " + path + ": " + std::strerror(errno);
        ok = false;
    }
    return ok;
}

bool add_first_administrator(const std::string& file, const std::string& password, std::string& error)
{
    db::Connection connection;
    if (!db::db_connect_access(connection, file, password)) {
        error = "Cannot open the new database.";
        return false;
    }
    std::string engine_text;
    db::set_error_presenter([&engine_text](const db::Error& failure) { engine_text = failure.text; });
    db::RecordSet set;
    db::recordset_set_connection(set, connection);
    const bool ok = db::recordset_open(set,
                                       "insert into adminuser (adminname, adminpass, quanxian, disabled)"
                                       " values (?, ?, ?, 0)",
                                       db::Source::sql,
                                       {kAdminName, assoc::password_digest(kAdminPassword), kAdminRights});
    db::set_error_presenter(nullptr);
    if (!ok) error = "Cannot add the administrator: " + engine_text;
    return ok;
}

std::string configuration_bytes(const std::string& password)
{
    std::string password_bytes = text::to_gbk(password);
    const std::string ciphertext = assoc::encodebin(password_bytes, assoc::kKeyText, assoc::kDesAlgorithm);
    secure::wipe(password_bytes);
    return text::to_gbk("[配置信息]\r\n协会名称=Quillet\r\n数据库密文=" + ciphertext + "\r\n");
}

bool build(const std::string& folder, std::string& password, std::string& error)
{
    if (!random_password(password)) {
        error = std::string("Cannot draw a random password: ") + std::strerror(errno);
        return false;
    }
    const std::string database = folder + "/causercount.mdb";
    bool ok = database::create_database(database, password, &error) &&
              add_first_administrator(database, password, error);
    if (ok) {
        std::string ini = configuration_bytes(password);
        ok = write_private_file(folder + "/userconfig.ini", ini, error);
        secure::wipe(ini);
    }
    if (!ok) secure::wipe(password);
    return ok;
}

}  // namespace

Result run_setup(const std::string& program_folder)
{
    Result result;
    std::error_code ec;
    if (program_folder.empty() || !fs::is_directory(program_folder, ec)) {
        result.error = "Not a folder: " + program_folder;
        return result;
    }
    const fs::path base = fs::absolute(program_folder, ec).lexically_normal();
    const fs::path target = base / "usertext";
    result.folder = target.string();

    if (fs::exists(fs::symlink_status(target, ec))) {
        result.outcome = Outcome::exists;
        return result;
    }

    std::string pattern = (base / ".usertext-setup-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        result.error = "Cannot create a folder in " + base.string() + ": " + std::strerror(errno);
        return result;
    }
    BuildFolder building(pattern);
    std::string password;
    if (!build(building.path(), password, result.error)) return result;

    // NOREPLACE: a usertext that appeared meanwhile, even an empty one, wins.
    if (::renameat2(AT_FDCWD, building.path().c_str(), AT_FDCWD, result.folder.c_str(), RENAME_NOREPLACE) !=
        0) {
        if (errno == EEXIST) {
            result.outcome = Outcome::exists;
        } else {
            result.error =
                "Cannot rename " + building.path() + " to " + result.folder + ": " + std::strerror(errno);
        }
        secure::wipe(password);
        return result;
    }
    building.keep();
    result.outcome = Outcome::created;
    result.database_password = std::move(password);
    return result;
}

}  // namespace setup
