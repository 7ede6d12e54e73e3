// An allocation that fails away from the user-interface thread must not try
// to show the fatal-error box there: no window may be touched from a speech
// thread. Should it try, the process ends with -1 and this test with it.
#include <gtest/gtest.h>

#include <new>
#include <thread>

#include "assocman/app/program.h"
#include "platform/ui/message.h"
#include "platform/ui/runtime.h"
#include "platform/ui/testing.h"

namespace {

TEST(OutOfMemory, AnotherThreadGetsBadAllocInsteadOfTheBox)
{
    ui::presenter::set_scripted(true);
    bool caught = false;
    std::thread worker([&caught] {
        try {
            app::out_of_memory(4096);
        } catch (const std::bad_alloc&) {
            caught = true;
        }
    });
    worker.join();
    EXPECT_TRUE(caught);
    EXPECT_TRUE(ui::presenter::shown().isEmpty());
    ui::presenter::set_scripted(false);
}

}  // namespace
