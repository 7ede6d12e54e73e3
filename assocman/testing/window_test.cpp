#include "assocman/testing/window_test.h"

#include <QDir>
#include <QFile>
#include <cerrno>

#include "assocman/database/database.h"
#include "assocman/state/database_errors.h"
#include "assocman/state/state.h"
#include "platform/ui/message.h"
#include "platform/ui/runtime.h"
#include "platform/ui/testing.h"

namespace assocman_testing {

void start_runtime_once()
{
    static bool started = false;
    if (started) return;
    // The application object keeps argc and argv for its whole life.
    static int argc = 1;
    static char* argv[] = {program_invocation_short_name, nullptr};
    ui::start_runtime(argc, argv);
    // As the program does: engine errors reach the windows' tests as the user reads them.
    app::install_database_error_presenter();
    started = true;
}

void add_description(const QByteArray& json, const QString& origin)
{
    QString error;
    ASSERT_TRUE(ui::add_description(json, origin, &error)) << error.toStdString();
}

void add_form(const QString& window)
{
    QFile form(":/forms/" + window + ".json");
    ASSERT_TRUE(form.open(QIODevice::ReadOnly)) << form.fileName().toStdString();
    add_description(form.readAll(), window + ".json");
}

QStringList shown_texts()
{
    QStringList out;
    for (const auto& m : ui::presenter::shown()) out << m.text;
    return out;
}

FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    EXPECT_EQ(sigaction(SIGXFSZ, &ignore, &previous_action_), 0);
    EXPECT_EQ(getrlimit(RLIMIT_FSIZE, &previous_limit_), 0);
    rlimit lower = previous_limit_;
    lower.rlim_cur = bytes;
    EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &lower), 0);
}

FileSizeLimit::~FileSizeLimit()
{
    EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &previous_limit_), 0);
    EXPECT_EQ(sigaction(SIGXFSZ, &previous_action_, nullptr), 0);
}

void WindowTest::SetUp()
{
    start_runtime_once();
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkpath("usertext"));
    ui::reset_for_tests();
    ui::set_program_directory(dir.path());
    ui::presenter::set_scripted(true);
    ui::presenter::clear();
    app::release_program_state();
}

void WindowTest::TearDown()
{
    ui::reset_for_tests();
    ui::presenter::set_scripted(false);
    app::release_program_state();
    if (!previous_dir_.isEmpty()) QDir::setCurrent(previous_dir_);
}

void WindowTest::set_database_key(const std::string& key)
{
    database_key = key;
    app::state().database_password = QString::fromStdString(key);
}

void WindowTest::enter_program_folder()
{
    if (previous_dir_.isEmpty()) previous_dir_ = QDir::currentPath();
    QDir::setCurrent(dir.path());
}

QString WindowTest::usertext(const QString& name) const { return dir.path() + "/usertext/" + name; }

std::string WindowTest::database_file() const { return usertext("causercount.mdb").toStdString(); }

void WindowTest::create_database()
{
    std::string error;
    ASSERT_TRUE(database::create_database(database_file(), database_key, &error)) << error;
}

bool WindowTest::connect(db::Connection& c, db::RecordSet& rs) const
{
    const bool connected = db::db_connect_access(c, database_file(), database_key);
    db::recordset_set_connection(rs, c);
    return connected;
}

void WindowTest::run(const std::string& sql, const std::vector<db::Param>& params)
{
    db::Connection c;
    db::RecordSet rs;
    ASSERT_TRUE(connect(c, rs));
    ASSERT_TRUE(db::recordset_open(rs, sql, db::Source::sql, params)) << sql;
}

}  // namespace assocman_testing
