// The exit clean-up treats the database keys kept for the windows'
// connections like the password they come from.
#include <gtest/gtest.h>

#include "assocman/state/state.h"
#include "assocman/testing/window_test.h"
#include "platform/db/db.h"
#include "platform/db/testing.h"

namespace {

class ExitCleanup : public assocman_testing::WindowTest {};

TEST_F(ExitCleanup, DropsTheKeptDatabaseKeysWithThePassword)
{
    set_database_key("clean-up key");
    create_database();
    db::Connection connection;
    ASSERT_TRUE(app::connect_program_database(connection));
    const auto kept = db::detail::key_counts();
    ASSERT_TRUE(app::connect_program_database(connection));
    EXPECT_EQ(db::detail::key_counts().derived, kept.derived) << "the key is kept between connections";

    app::release_program_state();
    EXPECT_TRUE(app::state().database_password.isEmpty());
    set_database_key("clean-up key");
    ASSERT_TRUE(app::connect_program_database(connection));
    EXPECT_EQ(db::detail::key_counts().derived, kept.derived + 1) << "gone with the clean-up, derived anew";
}

}  // namespace
