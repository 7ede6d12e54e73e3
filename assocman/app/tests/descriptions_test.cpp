// Every window description the program carries loads against the handlers
// the program really registers: a renamed handler or a typo in a
// description fails here rather than at start-up.
#include <gtest/gtest.h>

#include "assocman/app/program.h"
#include "platform/ui/runtime.h"
#include "platform/ui/testing.h"

namespace {

TEST(ProgramDescriptions, AllLoadWithTheProgramsOwnHandlers)
{
    static int argc = 1;
    static char arg0[] = "app_tests";
    static char* argv[] = {arg0, nullptr};
    ui::start_runtime(argc, argv);
    ui::reset_for_tests();
    app::register_all_handlers();

    QString error;
    ASSERT_TRUE(ui::load_descriptions(":/forms", &error)) << error.toStdString();
    for (const char* window :
         {"login", "workspace", "rollcall", "member_add", "member_list", "member_lookup", "random_pick",
          "notes", "whiteboard_editor", "about", "help", "password_change", "new_admin"})
        EXPECT_TRUE(ui::has_description(window)) << window;
}

}  // namespace
