// Commands the tests run through the shell: another program's view of what
// the code made (the sqlcipher shell, the built tools).
#pragma once

#include <stdio.h>
#include <sys/wait.h>

#include <string>

namespace test_support {

// Runs `command` through the shell and gives what it printed in `output`.
// Returns its exit status, or -1 when the shell could not be started or the
// command did not exit.
inline int run_command(const std::string& command, std::string& output)
{
    output.clear();
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return -1;
    char buffer[512];
    std::size_t n = 0;
    while ((n = ::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace test_support
