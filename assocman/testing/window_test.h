// The set-up every window test of the program shares: the Qt runtime, a
// scratch program folder with usertext/, scripted message boxes, fresh
// program state and a keyed database made on demand.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "platform/db/db.h"

namespace assocman_testing {

// Creates the application object on first use; later calls do nothing.
void start_runtime_once();

// Adds a window description; failures are fatal to the calling test.
void add_description(const QByteArray& json, const QString& origin);
// Adds the program's own description of `window` (":/forms/<window>.json").
void add_form(const QString& window);

// Texts of the message boxes shown since the presenter was last cleared.
QStringList shown_texts();

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

    QTemporaryDir dir;
    std::string database_key;

private:
    QString previous_dir_;
};

}  // namespace assocman_testing
