// Start-up and end of assocman, kept out of main() so tests can drive it.
#pragma once

namespace app {

// Registers the handlers of every window the program has.
void register_all_handlers();

// The whole program: start-up, message loop, exit clean-up. Returns the
// exit code.
int run_program(int& argc, char** argv);

// Reports an allocation that failed and ends the program (fatal error). On a
// thread other than the user-interface thread it throws std::bad_alloc.
[[noreturn]] void out_of_memory(unsigned long long bytes);

}  // namespace app
