#include "core/save_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "tests/support/temp_dir.h"

namespace assoc {
namespace {

using test_support::read_file;
using test_support::TempDir;

// The save syncs through this fsync, which the test program puts before the C
// library's: a disk that goes bad while a test sets `sync_error`.
int sync_error = 0;
extern "C" int fsync(int fd)
{
    errno = sync_error;
    return sync_error == 0 ? static_cast<int>(syscall(SYS_fsync, fd)) : -1;
}

const std::string kOld = "old board\r\n\xC4\xDA\xC8\xDD\r\n";
const std::string kNew(10000, 'n');

std::set<std::string> entries(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// Saves `kNew` to `path` in a child process whose files cannot grow past
// 4096 bytes, as on a disk that fills up during the write. With SIGXFSZ
// ignored the write fails with EFBIG; otherwise the signal kills the child in
// the middle of the save. Returns the child's wait status; it exits with 0
// when the save reported EFBIG.
int save_in_small_child(const std::string& path, bool survive)
{
    const pid_t child = fork();
    if (child == 0) {
        if (survive) std::signal(SIGXFSZ, SIG_IGN);
        const rlimit no_core{0, 0};
        setrlimit(RLIMIT_CORE, &no_core);  // a killed child leaves no core file behind
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 4096;
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(3);
        const SaveResult result = save_whole_file(path, kNew);
        _exit(!result.ok && result.error == EFBIG && !result.detail.empty() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return status;
}

TEST(SaveWholeFile, WriteThatFailsKeepsTheOldFileAndIsReported)
{
    const TempDir dir;
    const std::string path = dir.write("systemad.txt", kOld);

    const int status = save_in_small_child(path, true);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the failed write was reported as EFBIG";
    EXPECT_EQ(read_file(path), kOld);
    EXPECT_EQ(entries(dir.path()), std::set<std::string>{"systemad.txt"}) << "no temporary file left";
}

TEST(SaveWholeFile, NextSaveRemovesOnlyItsOwnLeftovers)
{
    const TempDir dir;
    const std::string path = dir.write("systemad.txt", kOld);
    const std::string other = dir.write("other.txt", kOld);
    const std::string outside = dir.write("outside/keep.txt", "keep");

    // Saves killed half way leave a temporary file of each target behind.
    for (const std::string& target : {path, other}) {
        const int status = save_in_small_child(target, false);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << status;
    }
    EXPECT_EQ(read_file(path), kOld);
    std::set<std::string> before = entries(dir.path());
    ASSERT_EQ(before.size(), 5u);
    std::string leftover;
    std::string other_leftover;
    for (const std::string& name : before) {
        if (name.find("systemad.txt") != std::string::npos && name != "systemad.txt") leftover = name;
        if (name.find("other.txt") != std::string::npos && name != "other.txt") other_leftover = name;
    }
    ASSERT_FALSE(leftover.empty());
    ASSERT_FALSE(other_leftover.empty());

    // These stay: one letter longer, a letter a leftover never has, another
    // file's of the same length, and in our very pattern a link to a file
    // elsewhere, a FIFO, a folder and the file of a save still running.
    const std::string prefix = dir.path() + "/" + leftover.substr(0, leftover.size() - 6);
    const std::string same_length = std::string(leftover).replace(1, 1, "S");
    for (const std::string& name : {leftover + "A", prefix + "ABC-EF", same_length, prefix + "HeldAB"})
        dir.write(std::filesystem::path(name).filename(), "keep");
    std::filesystem::create_symlink(outside, prefix + "LinkAB");
    std::filesystem::create_directory(prefix + "FoldAB");
    ASSERT_EQ(mkfifo((prefix + "FifoAB").c_str(), 0600), 0);
    const int held = open((prefix + "HeldAB").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    std::set<std::string> expected = entries(dir.path());
    expected.erase(leftover);

    const SaveResult result = save_whole_file(path, "new");
    close(held);
    ASSERT_TRUE(result.ok) << result.detail;
    EXPECT_EQ(read_file(path), "new");
    EXPECT_EQ(entries(dir.path()), expected);
    EXPECT_EQ(read_file(outside), "keep");
}

// Copies of the program saving one file at once: each tidies up after the
// others, never removing a temporary file another is still writing.
TEST(SaveWholeFile, SavesOfOneFileByFourProcessesAllSucceed)
{
    const TempDir dir;
    for (int i = 0; i < 4; ++i) {
        if (fork() != 0) continue;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        bool ok = true;
        while (ok && std::chrono::steady_clock::now() < end) ok = save_whole_file(dir.path() + "/f", kOld).ok;
        _exit(ok ? 0 : 1);
    }
    for (int status = 0; wait(&status) > 0;) EXPECT_EQ(status, 0);
}

// Every entry under `folder`: its bytes and mode, or where it points.
std::map<std::string, std::string> snapshot(const std::string& folder)
{
    std::map<std::string, std::string> seen;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        struct stat st {};
        lstat(entry.path().c_str(), &st);
        std::string& what = seen[entry.path().lexically_relative(folder)];
        if (S_ISLNK(st.st_mode)) what = "-> " + std::filesystem::read_symlink(entry.path()).string();
        if (S_ISREG(st.st_mode)) what = read_file(entry.path()) + " " + std::to_string(st.st_mode & 07777);
    }
    return seen;
}

TEST(SaveWholeFile, WritesThroughLinksAndOnlyOverWritableFilesOfOurOwn)
{
    namespace fs = std::filesystem;
    const TempDir dir;
    const std::string d = dir.path() + "/";
    const auto put = [&](const char* name, mode_t mode) { chmod(dir.write(name, "old").c_str(), mode); };

    // A kept file keeps its mode; a link stays a link, also one to a file yet
    // to be made, each link taken from its own folder.
    put("private", 0600);
    fs::create_symlink("private", d + "link");
    fs::create_directory(d + "sub");
    fs::create_symlink("sub/hop", d + "dangling");
    fs::create_symlink("new", d + "sub/hop");
    EXPECT_TRUE(save_whole_file(d + "link", "new").ok);
    EXPECT_TRUE(save_whole_file(d + "dangling", "new").ok);
    std::map<std::string, std::string> seen = snapshot(dir.path());
    EXPECT_EQ(seen["private"] + seen["link"], "new " + std::to_string(0600) + "-> private");
    EXPECT_EQ(seen["dangling"] + seen["sub/hop"] + seen["sub/new"].substr(0, 4), "-> sub/hop-> newnew ");

    // Refused, every file left as it was: a link in a loop, a read-only file,
    // another user's (only root can make one), and any file whose sync fails.
    fs::create_symlink("loop", d + "loop");
    put("read-only", 0444);
    put("others", 0644);
    const bool root = geteuid() == 0 && chown((d + "others").c_str(), 1, 1) == 0;
    seen = snapshot(dir.path());
    for (const char* name : {"loop", "read-only", root ? "others" : "loop"})
        EXPECT_FALSE(save_whole_file(d + name, "newer").ok) << name;
    sync_error = EIO;
    EXPECT_FALSE(save_whole_file(d + "private", "newer").ok);
    sync_error = 0;
    EXPECT_EQ(snapshot(dir.path()), seen);
}

}  // namespace
}  // namespace assoc
