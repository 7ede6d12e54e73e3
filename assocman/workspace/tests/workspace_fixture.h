// Opens the real workspace description in a scratch program folder, the way
// the login window does after a successful login.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "assocman/state/state.h"
#include "assocman/workspace/workspace.h"
#include "platform/ui/message.h"
#include "platform/ui/runtime.h"

namespace workspace_test {

inline void start_runtime_once()
{
    static int argc = 1;
    static char name[] = "workspace_tests";
    static char* argv[] = {name, nullptr};
    static bool started = false;
    if (!started) {
        ui::start_runtime(argc, argv);
        started = true;
    }
}

inline bool add_json(const QByteArray& json, const QString& origin)
{
    QString error;
    const bool ok = ui::add_description(json, origin, &error);
    EXPECT_TRUE(ok) << origin.toStdString() << ": " << error.toStdString();
    return ok;
}

// A feature window that counts how often it was created.
inline void add_feature_window(const QString& window, int* created)
{
    const QString handler = QStringLiteral("test.") + window + QStringLiteral("_created");
    ui::register_handler(handler, [created] { ++*created; });
    add_json(QStringLiteral(R"({"window": "%1", "title": "%1", "size": [200, 100],
                                "esc_closes": true, "events": {"on_created": "%2"}})")
                 .arg(window, handler)
                 .toUtf8(),
             window);
}

class WorkspaceFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        start_runtime_once();
        ui::reset_for_tests();
        ui::presenter::set_scripted(true);
        ui::presenter::clear();
        workspace::register_workspace_handlers();

        QFile form(QStringLiteral(":/forms/workspace.json"));
        ASSERT_TRUE(form.open(QIODevice::ReadOnly));
        ASSERT_TRUE(add_json(form.readAll(), QStringLiteral("workspace.json")));
        ASSERT_TRUE(add_json(R"({"window": "login", "title": "login", "size": [330, 229]})", "login"));

        ASSERT_TRUE(folder_.isValid());
        ASSERT_TRUE(QDir(folder_.path()).mkpath(QStringLiteral("usertext")));
        previous_dir_ = QDir::currentPath();
        QDir::setCurrent(folder_.path());

        auto& st = app::state();
        st.association_name = QStringLiteral("Quillet");
        st.current_admin = QStringLiteral("admin");
        st.workspace_admin.clear();
        st.working_folder.clear();
        st.whiteboard_text.clear();
        st.whiteboard_lines.clear();
    }

    void TearDown() override
    {
        ui::reset_for_tests();
        QDir::setCurrent(previous_dir_);
    }

    void write_whiteboard(const QByteArray& bytes)
    {
        QFile file(folder_.filePath(QStringLiteral("usertext/systemad.txt")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    // Login first, then the workspace, as after a successful login.
    void open_workspace()
    {
        ASSERT_TRUE(ui::load_window(QStringLiteral("login")));
        ASSERT_TRUE(ui::load_window(QStringLiteral("workspace")));
        ui::wait_processing_events(50);
    }

    QString label(const char* name) { return ui::text(QStringLiteral("workspace"), QString::fromUtf8(name)); }

    QTemporaryDir folder_;
    QString previous_dir_;
};

}  // namespace workspace_test
