// Opens the real workspace description in a scratch program folder, the way
// the login window does after a successful login.
#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <QTest>

#include "assocman/state/state.h"
#include "assocman/testing/window_test.h"
#include "assocman/workspace/workspace.h"
#include "platform/ui/message.h"
#include "platform/ui/runtime.h"
#include "tests/support/wait_until.h"

namespace workspace_test {

// A feature window that counts how often it was created.
inline void add_feature_window(const QString& window, int* created)
{
    const QString handler = QStringLiteral("test.") + window + QStringLiteral("_created");
    ui::register_handler(handler, [created] { ++*created; });
    assocman_testing::add_description(QStringLiteral(R"({"window": "%1", "title": "%1", "size": [200, 100],
                                "esc_closes": true, "events": {"on_created": "%2"}})")
                                          .arg(window, handler)
                                          .toUtf8(),
                                      window);
}

class WorkspaceFixture : public assocman_testing::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        if (HasFatalFailure()) return;
        workspace::register_workspace_handlers();

        ASSERT_NO_FATAL_FAILURE(assocman_testing::add_form(QStringLiteral("workspace")));
        ASSERT_NO_FATAL_FAILURE(assocman_testing::add_description(
            R"({"window": "login", "title": "login", "size": [330, 229]})", "login"));
        enter_program_folder();

        auto& st = app::state();
        st.association_name = QStringLiteral("Quillet");
        st.current_admin = QStringLiteral("admin");
    }

    void write_whiteboard(const std::string& bytes) { write_usertext(QStringLiteral("systemad.txt"), bytes); }

    // Login first, then the workspace, as after a successful login.
    void open_workspace()
    {
        ASSERT_TRUE(ui::load_window(QStringLiteral("login")));
        ASSERT_TRUE(ui::load_window(QStringLiteral("workspace")));
        test_support::process_queued_events();
    }

    QString label(const char* name) { return ui::text(QStringLiteral("workspace"), QString::fromUtf8(name)); }
};

}  // namespace workspace_test
