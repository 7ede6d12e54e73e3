#include "core/save_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <system_error>

namespace assoc {
namespace {

// Our temporary files are named ".<target>.assocman-save.<six letters or
// digits>" in the target's folder: hidden from a casual look at the folder,
// and never taken for anything but a save of that one target.
constexpr std::string_view kTag = ".assocman-save.";
constexpr std::size_t kSuffixLength = 6;
constexpr std::string_view kSuffixAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    int get() const { return fd_; }
    void reset(int fd)
    {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }
    int release()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

SaveResult failure(std::string_view step, int error)
{
    return {false, error,
            std::string(step) + ": " + std::error_code(error, std::generic_category()).message()};
}

std::string temporary_prefix(std::string_view base) { return "." + std::string(base) + std::string(kTag); }

bool is_our_leftover(std::string_view name, std::string_view prefix)
{
    if (name.size() != prefix.size() + kSuffixLength || !name.starts_with(prefix)) return false;
    const std::string_view suffix = name.substr(prefix.size());
    return std::all_of(suffix.begin(), suffix.end(),
                       [](char c) { return kSuffixAlphabet.find(c) != std::string_view::npos; });
}

// A save holds a lock on its temporary file until it ends, and the lock dies
// with the process; a file of ours that nobody holds is a leftover from a save
// that was killed. Anything that is not a plain file of our own user is left
// alone. Tidying is best effort: a leftover that cannot be removed now is
// tried again at the next save.
void remove_leftovers(int dir, std::string_view prefix)
{
    const int scan_fd = ::openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (scan_fd < 0) return;
    DIR* scan = ::fdopendir(scan_fd);
    if (!scan) {
        ::close(scan_fd);
        return;
    }
    while (const dirent* entry = ::readdir(scan)) {
        const std::string_view name = entry->d_name;
        if (!is_our_leftover(name, prefix)) continue;
        const Fd file(
            ::openat(dir, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        if (file.get() < 0) continue;
        struct stat st {};
        if (::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) continue;
        if (::flock(file.get(), LOCK_EX | LOCK_NB) != 0) continue;  // a save still running
        (void)::unlinkat(dir, entry->d_name, 0);                    // best effort, see above
    }
    ::closedir(scan);
}

// Creates a new temporary file of ours in `dir`, with the mode a new file of
// the target's would get; `name` receives its name.
int create_temporary(int dir, const std::string& prefix, std::string& name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char random[kSuffixLength];
        if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
            if (errno == EINTR) continue;
            return -1;
        }
        name = prefix;
        for (const unsigned char r : random) name += kSuffixAlphabet[r % kSuffixAlphabet.size()];
        const int fd =
            ::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

bool write_all(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const std::size_t chunk = std::min<std::size_t>(bytes.size(), SSIZE_MAX);
        const ssize_t written = ::write(fd, bytes.data(), chunk);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        // A regular file never takes nothing without an error; if one does,
        // trying again would never end.
        if (written == 0) {
            errno = ENOSPC;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

int sync(int fd)
{
    int result;
    do {
        result = ::fsync(fd);
    } while (result != 0 && errno == EINTR);
    return result;
}

}  // namespace

SaveResult save_whole_file(const std::string& path, std::string_view bytes)
{
    // A link stays a link: the file it points to is the one replaced.
    std::string target = path;
    struct stat link {};
    if (::lstat(target.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (char* resolved = ::realpath(target.c_str(), nullptr)) {
            target = resolved;
            std::free(resolved);
        }
    }

    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    if (base.empty() || base == "." || base == "..") return failure("target " + target, EISDIR);

    const Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0) return failure("open folder " + folder, errno);

    const std::string prefix = temporary_prefix(base);
    remove_leftovers(dir.get(), prefix);

    std::string temporary;
    Fd file(create_temporary(dir.get(), prefix, temporary));
    if (file.get() < 0) return failure("create temporary file in " + folder, errno);

    const auto fail = [&](std::string_view step) {
        const int error = errno;
        file.reset(-1);
        (void)::unlinkat(dir.get(), temporary.c_str(), 0);  // the failure to report is the one above
        return failure(std::string(step) + " " + folder + "/" + temporary, error);
    };

    // Marks the file as a save in progress for remove_leftovers() of another
    // copy of the program. The lock is held through a second descriptor so
    // that it lasts from before the first write until after the rename, while
    // the written one is closed (and its close checked) before the rename.
    const Fd lock(::fcntl(file.get(), F_DUPFD_CLOEXEC, 0));
    if (lock.get() < 0 || ::flock(lock.get(), LOCK_EX) != 0) return fail("lock");
    struct stat old {};
    if (::fstatat(dir.get(), base.c_str(), &old, 0) == 0 && S_ISREG(old.st_mode)) {
        if (::fchmod(file.get(), old.st_mode & 07777) != 0) return fail("set permissions of");
    }
    if (!write_all(file.get(), bytes)) return fail("write");
    if (sync(file.get()) != 0) return fail("sync");
    if (::close(file.release()) != 0) return fail("close");
    if (::renameat(dir.get(), temporary.c_str(), dir.get(), base.c_str()) != 0) return fail("rename");

    // The rename itself only lasts once the folder is on disk. Some file
    // systems cannot sync a folder at all (EINVAL); they give no other way.
    if (sync(dir.get()) != 0 && errno != EINVAL) return failure("sync folder " + folder, errno);
    return {true, 0, {}};
}

}  // namespace assoc
