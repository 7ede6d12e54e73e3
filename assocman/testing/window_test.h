// The set-up every window test of the program shares: the Qt runtime, a
// scratch program folder with usertext/, scripted message boxes, fresh
// program state and a keyed database made on demand. A name that no
// description has fails the test (lookup_warnings.h).
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <optional>
#include <string>
#include <vector>

#include "platform/db/db.h"
#include "platform/ui/tests/lookup_warnings.h"

namespace assocman_testing {

// Creates the application object on first use; later calls do nothing.
void start_runtime_once();

// Adds a window description; failures are fatal to the calling test.
void add_description(const QByteArray& json, const QString& origin);
// Adds the program's own description of `window` (":/forms/<window>.json").
void add_form(const QString& window);

// Texts of the message boxes shown since the presenter was last cleared.
QStringList shown_texts();

// While it lives, no file of this process grows past `bytes`: a write beyond
// fails with EFBIG, as a write to a full disk fails with ENOSPC (SIGXFSZ is
// ignored meanwhile, so the write fails instead of killing the test).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit previous_limit_{};
    struct sigaction previous_action_ {};
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Sets the password the windows connect with and the key the test's own
    // database helpers use.
    void set_database_key(const std::string& key);

    // Makes the program folder the current directory until the test ends.
    void enter_program_folder();

    QString usertext(const QString& name) const;
    std::string database_file() const;

    // A new keyed database (every table, no rows) at database_file().
    void create_database();
    // A connection of the test's own, with `rs` bound to it.
    [[nodiscard]] bool connect(db::Connection& c, db::RecordSet& rs) const;
    // Runs one statement through a connection of the test's own, as another
    // window or another copy of the program would write.
    void run(const std::string& sql, const std::vector<db::Param>& params = {});
    // Field `field` of every row `sql` gives, in order, as text.
    std::vector<std::string> column(const std::string& sql, const std::string& field = "r");
    // Another program holding the database until release_database(): `begin`
    // is "begin immediate" to keep the windows from writing, "begin exclusive"
    // from reading too. The wait of `window`'s connection unit for it is cut
    // short, so that a failure comes at once.
    void hold_database(const QString& window, const QString& unit, const std::string& begin);
    void release_database();

    // Files of usertext/ written and read whole (nullopt: no file to read),
    // and the names it holds, hidden ones too, in name order.
    void write_usertext(const QString& name, const std::string& bytes) const;
    std::optional<std::string> read_usertext(const QString& name) const;
    QStringList usertext_entries() const;

    // Opens `window` (owned by `owner`) and lets its first events run.
    static void open_window(const QString& window, const QString& owner = {});
    // Closes `window` the way its close box does and lets the close happen.
    static void close_window(const QString& window);
    // A real mouse click on a control, and what it set going.
    static void click(const QString& window, const QString& control);
    // Puts the focus on `control` and presses `key` there.
    static void press_key(const QString& window, const QString& control, Qt::Key key);
    // Presses `key` where the focus is, as on the desktop: in the control of
    // `window` that has it, or else on the window.
    static void press_key_in(const QString& window, Qt::Key key);
    // The addresses a click on a link hands to the browser.
    static QList<QUrl> urls_opened_by_clicking(const QString& window, const QString& link);

    QTemporaryDir dir;
    std::string database_key;

private:
    QString previous_dir_;
    db::Connection holder_;
    db::RecordSet holder_set_;
};

}  // namespace assocman_testing
