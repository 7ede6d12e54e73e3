// Tests that need a real X server (and some a tray host). On a developer's
// machine without one they skip. Where the environment promises X, as
// scripts/test.sh and so CI do with ASSOCMAN_REQUIRE_X11=1, a missing server
// or tray host fails them instead: a suite that stays green because its X11
// tests never ran would hide every fault they are there to catch.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace test_support {

inline bool x11_required()
{
    const char* value = std::getenv("ASSOCMAN_REQUIRE_X11");
    return value && *value && std::strcmp(value, "0") != 0;
}

inline bool display_set()
{
    const char* display = std::getenv("DISPLAY");
    return display && *display;
}

}  // namespace test_support

// Ends the calling test (or SetUp) unless `available` holds: a failure when
// X is required, a skip otherwise. `what` says what is missing.
#define ASSOCMAN_REQUIRE_X11_OR_SKIP(available, what)                                                 \
    do {                                                                                              \
        if (!(available)) {                                                                           \
            if (::test_support::x11_required()) FAIL() << (what) << " (ASSOCMAN_REQUIRE_X11 is set)"; \
            GTEST_SKIP() << (what);                                                                   \
        }                                                                                             \
    } while (false)
