#include "assocman/testing/window_test.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QTest>
#include <cerrno>

#include "assocman/database/database.h"
#include "assocman/state/database_errors.h"
#include "assocman/state/state.h"
#include "platform/db/testing.h"
#include "platform/ui/message.h"
#include "platform/ui/runtime.h"
#include "platform/ui/testing.h"
#include "tests/support/wait_until.h"

namespace assocman_testing {

namespace {

// Stands in for the browser: QDesktopServices hands it the address.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

}  // namespace

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

std::vector<std::string> WindowTest::column(const std::string& sql, const std::string& field)
{
    db::Connection c;
    db::RecordSet rs;
    EXPECT_TRUE(connect(c, rs));
    EXPECT_TRUE(db::recordset_open(rs, sql, db::Source::sql)) << sql;
    std::vector<std::string> values;
    db::for_each_row(rs, [&](db::RecordSet& row) {
        EXPECT_TRUE(db::recordset_read_text(row, field, values.emplace_back())) << field;
        return true;
    });
    return values;
}

void WindowTest::hold_database(const QString& window, const QString& unit, const std::string& begin)
{
    db::Connection* own = ui::connection(window, unit);
    ASSERT_NE(own, nullptr) << unit.toStdString();
    db::set_busy_timeout(*own, 20);
    ASSERT_TRUE(holder_.is_open() || connect(holder_, holder_set_));
    ASSERT_TRUE(db::recordset_open(holder_set_, begin, db::Source::sql));
}

void WindowTest::release_database()
{
    ASSERT_TRUE(db::recordset_open(holder_set_, "rollback", db::Source::sql));
}

void WindowTest::write_usertext(const QString& name, const std::string& bytes) const
{
    QFile file(usertext(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << name.toStdString();
    ASSERT_EQ(file.write(QByteArray::fromStdString(bytes)), static_cast<qint64>(bytes.size()));
}

std::optional<std::string> WindowTest::read_usertext(const QString& name) const
{
    QFile file(usertext(name));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return file.readAll().toStdString();
}

QStringList WindowTest::usertext_entries() const
{
    return QDir(usertext({})).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

void WindowTest::open_window(const QString& window, const QString& owner)
{
    ASSERT_TRUE(ui::load_window(window, owner)) << window.toStdString();
    test_support::process_queued_events();
}

void WindowTest::close_window(const QString& window)
{
    ui::destroy_window_or_unit(window);
    test_support::process_queued_events();
}

void WindowTest::click(const QString& window, const QString& control)
{
    QWidget* widget = ui::control_widget(window, control);
    ASSERT_NE(widget, nullptr) << control.toStdString();
    QTest::mouseClick(widget, Qt::LeftButton);
    test_support::process_queued_events();
}

void WindowTest::press_key(const QString& window, const QString& control, Qt::Key key)
{
    ui::set_focus(window, control);
    QWidget* widget = ui::control_widget(window, control);
    ASSERT_NE(widget, nullptr) << control.toStdString();
    QTest::keyClick(widget, key);
    test_support::process_queued_events();
}

void WindowTest::press_key_in(const QString& window, Qt::Key key)
{
    QWidget* target = QApplication::focusWidget();
    if (!target || target->window() != ui::window_widget(window)) target = ui::window_widget(window);
    ASSERT_NE(target, nullptr) << window.toStdString();
    QTest::keyClick(target, key);
    test_support::process_queued_events();
}

QList<QUrl> WindowTest::urls_opened_by_clicking(const QString& window, const QString& link)
{
    QWidget* widget = ui::control_widget(window, link);
    if (!widget) {
        ADD_FAILURE() << "no link " << link.toStdString();
        return {};
    }
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
    QTest::mousePress(widget, Qt::LeftButton);
    QTest::mouseRelease(widget, Qt::LeftButton);
    test_support::process_queued_events();
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    return recorder.urls;
}

}  // namespace assocman_testing

#include "window_test.moc"
