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
#include <cstdio>
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

int lock_exclusive(int fd)
{
    int result;
    do {
        result = ::flock(fd, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    return result;
}

// Creates a new temporary file of ours in `dir`, with the mode a new file of
// the target's would get, and locks it through `lock`; `name` receives its
// name. Until the lock is taken, remove_leftovers() of another copy of the
// program may take the new file for a leftover and remove it; so once locked,
// the name must still name the file we hold, or we start again under a new
// name.
int create_temporary(int dir, const std::string& prefix, std::string& name, Fd& lock)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char random[kSuffixLength];
        if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
            if (errno == EINTR) continue;
            return -1;
        }
        name = prefix;
        for (const unsigned char r : random) name += kSuffixAlphabet[r % kSuffixAlphabet.size()];
        Fd file(::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (file.get() < 0) {
            if (errno == EEXIST) continue;
            return -1;
        }
        // The lock is held through a second descriptor so that it lasts from
        // before the first write until after the rename, while the written
        // one is closed (and its close checked) before the rename.
        lock.reset(::fcntl(file.get(), F_DUPFD_CLOEXEC, 0));
        struct stat held {};
        if (lock.get() < 0 || lock_exclusive(lock.get()) != 0 || ::fstat(file.get(), &held) != 0) {
            const int error = errno;
            (void)::unlinkat(dir, name.c_str(), 0);  // ours, unwritten; the error to tell is the one above
            errno = error;
            return -1;
        }
        struct stat named {};
        const int found = ::fstatat(dir, name.c_str(), &named, AT_SYMLINK_NOFOLLOW);
        if (found == 0 && named.st_dev == held.st_dev && named.st_ino == held.st_ino) return file.release();
        if (found != 0 && errno != ENOENT) return -1;
        // Removed before we held it: the file we hold has no name any more.
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

// Follows `path` through every symbolic link to the file it names, existing
// or not: a link stays a link and the file it points to is the one replaced,
// even one that the save is about to create. A relative link is taken from
// the link's own folder, as the system takes it; folders on the way are left
// to the system. Returns 0 or the errno that stopped it.
int resolve_links(const std::string& path, std::string& target)
{
    constexpr int kMaxLinks = 40;  // as many as the system follows before ELOOP
    target = path;
    for (int links = 0;; ++links) {
        struct stat st {};
        // A name that cannot be looked at is left to the steps that use it.
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return 0;
        if (links == kMaxLinks) return ELOOP;
        std::string points_to(PATH_MAX, '\0');
        const ssize_t length = ::readlink(target.c_str(), points_to.data(), points_to.size());
        if (length < 0) return errno;
        if (static_cast<std::size_t>(length) == points_to.size()) return ENAMETOOLONG;
        points_to.resize(static_cast<std::size_t>(length));
        const std::size_t slash = target.rfind('/');
        if (points_to.starts_with('/') || slash == std::string::npos)
            target = points_to;
        else
            target = target.substr(0, slash + 1) + points_to;
    }
}

// A rename needs the right to write the folder only, so without this check
// a save would replace a file the operator made read-only, or another user's
// file in a shared folder, which would then be ours. Only a regular file of
// our own (effective) user whose owner may write it is replaced. The owner's
// write bit is read here rather than asked of access(), which lets root
// write anything: a read-only file stays read-only for root too, as it does
// for an editor. Returns 0 or why the file is refused.
int may_replace(const struct stat& old)
{
    if (!S_ISREG(old.st_mode)) return S_ISDIR(old.st_mode) ? EISDIR : EINVAL;
    if (old.st_uid != ::geteuid()) return EPERM;
    if ((old.st_mode & S_IWUSR) == 0) return EACCES;
    return 0;
}

SaveResult save(const std::string& path, std::string_view bytes)
{
    std::string target;
    if (const int error = resolve_links(path, target); error != 0)
        return failure("follow link " + path, error);

    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    if (base.empty() || base == "." || base == "..") return failure("target " + target, EISDIR);

    const Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (dir.get() < 0) return failure("open folder " + folder, errno);

    struct stat old {};
    const bool replaces = ::fstatat(dir.get(), base.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    if (!replaces && errno != ENOENT) return failure("look at " + target, errno);
    if (replaces) {
        if (const int error = may_replace(old); error != 0) return failure("replace " + target, error);
    }

    const std::string prefix = temporary_prefix(base);
    remove_leftovers(dir.get(), prefix);

    std::string temporary;
    Fd lock;
    Fd file(create_temporary(dir.get(), prefix, temporary, lock));
    if (file.get() < 0) return failure("create temporary file in " + folder, errno);

    const auto fail = [&](std::string_view step) {
        const int error = errno;
        file.reset(-1);
        (void)::unlinkat(dir.get(), temporary.c_str(), 0);  // the failure to report is the one above
        return failure(std::string(step) + " " + folder + "/" + temporary, error);
    };

    if (replaces && ::fchmod(file.get(), old.st_mode & 07777) != 0) return fail("set permissions of");
    if (!write_all(file.get(), bytes)) return fail("write");
    if (sync(file.get()) != 0) return fail("sync");
    if (::close(file.release()) != 0) return fail("close");
    if (::renameat(dir.get(), temporary.c_str(), dir.get(), base.c_str()) != 0) return fail("rename");

    // The rename itself only lasts once the folder is on disk. Some file
    // systems cannot sync a folder at all (EINVAL); they give no other way.
    if (sync(dir.get()) != 0 && errno != EINVAL) return failure("sync folder " + folder, errno);
    return {true, 0, {}};
}

}  // namespace

SaveResult save_whole_file(const std::string& path, std::string_view bytes)
{
    SaveResult result = save(path, bytes);
    // The user is told in a box that the save failed; why it failed is for the
    // operator, who finds it here. One write, so lines of other threads do not
    // run into it.
    if (!result.ok) {
        const std::string line = std::string(program_invocation_short_name) + ": " + result.detail + "\n";
        (void)std::fputs(line.c_str(), stderr);  // nothing is left to tell a failure to
    }
    return result;
}

}  // namespace assoc
