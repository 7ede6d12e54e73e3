#include "core/save_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "core/tests/temp_dir.h"

namespace assoc {
namespace {

using testing_support::TempDir;

const std::string kOld = "old board\r\n\xC4\xDA\xC8\xDD\r\n";
const std::string kNew(10000, 'n');

std::string read(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

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
    EXPECT_EQ(read(path), kOld);
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
    EXPECT_EQ(read(path), kOld);
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

    // Names like ours that are not our files: a backup of the leftover, and a
    // link in our name pattern to a file elsewhere.
    dir.write(leftover + "~", "backup");
    std::string link = leftover;
    link.back() = link.back() == 'A' ? 'B' : 'A';
    std::filesystem::create_symlink(outside, dir.path() + "/" + link);

    const SaveResult result = save_whole_file(path, "new");
    ASSERT_TRUE(result.ok) << result.detail;
    EXPECT_EQ(read(path), "new");
    EXPECT_EQ(entries(dir.path()), (std::set<std::string>{"systemad.txt", "other.txt", other_leftover,
                                                          "outside", leftover + "~", link}));
    EXPECT_EQ(read(outside), "keep");
}

}  // namespace
}  // namespace assoc
