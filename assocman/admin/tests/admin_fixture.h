// Opens the real account windows, owned by a stand-in workspace, against a
// keyed database made in a temporary program folder.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <string>
#include <vector>

#include "assocman/admin/admin.h"
#include "assocman/state/state.h"
#include "platform/db/db.h"
#include "platform/ui/message.h"
#include "platform/ui/runtime.h"

namespace admin_test {

inline const QString kWorkspace = "workspace";

// An `adminuser` row as its fields read: a NULL reads as the empty text.
struct Account {
    std::string name;
    std::string pass;  // stored digest
    std::string rights;
    bool disabled = false;
    bool operator==(const Account&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Account& a)
{
    return out << "{" << a.name << ", " << a.pass << ", " << a.rights << ", " << a.disabled << "}";
}

class AdminFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char arg0[] = "admin_tests";
        static char* argv[] = {arg0, nullptr};
        ui::start_runtime(argc, argv);
    }

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkpath("usertext"));
        ui::reset_for_tests();
        ui::set_program_directory(dir.path());
        ui::presenter::set_scripted(true);
        ui::presenter::clear();
        auto& st = app::state();
        st.association_name = "星火社";
        st.database_password = "k";
        st.workspace_admin = "管理员";
        admin::register_admin_handlers();
        add_form(":/forms/password_change.json");
        add_form(":/forms/new_admin.json");
        QString error;
        ASSERT_TRUE(ui::add_description(R"({"window":"workspace","title":"w","size":[784,635]})", "workspace",
                                        &error))
            << error.toStdString();
        ASSERT_TRUE(ui::load_window(kWorkspace));
    }

    void TearDown() override
    {
        ui::reset_for_tests();
        ui::presenter::set_scripted(false);
    }

    static void add_form(const QString& resource)
    {
        QFile file(resource);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << resource.toStdString();
        QString error;
        ASSERT_TRUE(ui::add_description(file.readAll(), resource, &error)) << error.toStdString();
    }

    std::string database_file() const { return (dir.path() + "/usertext/causercount.mdb").toStdString(); }

    // Replaces the database with one holding exactly these accounts; empty
    // texts go in as NULL, as the record set writes them.
    void make_database(const std::vector<Account>& accounts)
    {
        QFile::remove(QString::fromStdString(database_file()));
        std::string error;
        ASSERT_TRUE(db::create_database(database_file(), "k", &error)) << error;
        const auto text = [](const std::string& t) { return t.empty() ? db::Param{} : db::Param{t}; };
        for (const Account& a : accounts) {
            run("insert into adminuser (adminname, adminpass, quanxian, disabled) values (?, ?, ?, ?)",
                {text(a.name), text(a.pass), text(a.rights), db::Param{a.disabled ? 1LL : 0LL}});
        }
    }

    // One statement through a connection of the test's own, as another
    // window or another copy of the program would write.
    void run(const std::string& sql, const std::vector<db::Param>& params = {})
    {
        db::Connection c;
        ASSERT_TRUE(db::db_connect_access(c, database_file(), "k"));
        db::RecordSet rs;
        db::recordset_set_connection(rs, c);
        ASSERT_TRUE(db::recordset_open(rs, sql, db::kSql, params)) << sql;
    }

    std::vector<Account> accounts()
    {
        db::Connection c;
        EXPECT_TRUE(db::db_connect_access(c, database_file(), "k"));
        db::RecordSet rs;
        db::recordset_set_connection(rs, c);
        EXPECT_TRUE(db::recordset_open(rs, "select * from adminuser order by rowid", db::kSql));
        std::vector<Account> out(static_cast<std::size_t>(std::max(0, db::record_count(rs))));
        for (Account& a : out) {
            db::recordset_read_text(rs, "adminname", a.name);
            db::recordset_read_text(rs, "adminpass", a.pass);
            db::recordset_read_text(rs, "quanxian", a.rights);
            db::recordset_read_bool(rs, "disabled", a.disabled);
            db::recordset_move_next(rs);
        }
        return out;
    }

    void open(const QString& window)
    {
        ASSERT_TRUE(ui::load_window(window, kWorkspace));
        QCoreApplication::processEvents();
    }

    // Closes a window the way its close box does and lets the close happen.
    void close(const QString& window)
    {
        ui::destroy_window_or_unit(window);
        QCoreApplication::processEvents();
    }

    static void click(const QString& window, const QString& button)
    {
        QWidget* widget = ui::control_widget(window, button);
        ASSERT_NE(widget, nullptr);
        QTest::mouseClick(widget, Qt::LeftButton);
        QCoreApplication::processEvents();
    }

    static QStringList texts()
    {
        QStringList out;
        for (const auto& m : ui::presenter::shown()) out << m.text;
        return out;
    }

    // Every message of these windows is a tip with the information icon.
    static void expect_information_tips()
    {
        for (const auto& m : ui::presenter::shown()) {
            EXPECT_EQ(m.title, ui::kTipTitle) << m.text.toStdString();
            EXPECT_EQ(m.style, ui::MB_OK | ui::MB_ICONINFORMATION) << m.text.toStdString();
        }
    }

    QTemporaryDir dir;
};

}  // namespace admin_test
