// Opens the real account windows, owned by a stand-in workspace, against a
// keyed database made in a temporary program folder.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QTest>
#include <algorithm>
#include <string>
#include <vector>

#include "assocman/admin/admin.h"
#include "assocman/state/state.h"
#include "assocman/state/tip.h"
#include "assocman/testing/window_test.h"
#include "platform/db/db.h"
#include "platform/ui/message.h"
#include "platform/ui/runtime.h"
#include "platform/ui/testing.h"

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

class AdminFixture : public assocman_testing::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        if (HasFatalFailure()) return;
        auto& st = app::state();
        st.association_name = "星火社";
        set_database_key("k");
        st.workspace_admin = "管理员";
        admin::register_admin_handlers();
        ASSERT_NO_FATAL_FAILURE(assocman_testing::add_form("password_change"));
        ASSERT_NO_FATAL_FAILURE(assocman_testing::add_form("new_admin"));
        ASSERT_NO_FATAL_FAILURE(assocman_testing::add_description(
            R"({"window":"workspace","title":"w","size":[784,635]})", "workspace"));
        ASSERT_TRUE(ui::load_window(kWorkspace));
    }

    // Replaces the database with one holding exactly these accounts; empty
    // texts go in as NULL, as the record set writes them.
    void make_database(const std::vector<Account>& accounts)
    {
        QFile::remove(QString::fromStdString(database_file()));
        ASSERT_NO_FATAL_FAILURE(create_database());
        const auto text = [](const std::string& t) { return t.empty() ? db::Param{} : db::Param{t}; };
        for (const Account& a : accounts) {
            run("insert into adminuser (adminname, adminpass, quanxian, disabled) values (?, ?, ?, ?)",
                {text(a.name), text(a.pass), text(a.rights), db::Param{a.disabled ? 1LL : 0LL}});
        }
    }

    std::vector<Account> accounts()
    {
        db::Connection c;
        db::RecordSet rs;
        EXPECT_TRUE(connect(c, rs));
        EXPECT_TRUE(db::recordset_open(rs, "select * from adminuser order by rowid", db::Source::sql));
        std::vector<Account> out(static_cast<std::size_t>(std::max(0, db::record_count(rs))));
        for (Account& a : out) {
            EXPECT_TRUE(db::recordset_read_text(rs, "adminname", a.name));
            EXPECT_TRUE(db::recordset_read_text(rs, "adminpass", a.pass));
            EXPECT_TRUE(db::recordset_read_text(rs, "quanxian", a.rights));
            EXPECT_TRUE(db::recordset_read_bool(rs, "disabled", a.disabled));
            EXPECT_TRUE(db::recordset_move_next(rs));
        }
        return out;
    }

    static void open(const QString& window) { open_window(window, kWorkspace); }

    // The engine's box for a database held by another program.
    static void expect_engine_busy_box(const ui::ShownMessage& box)
    {
        EXPECT_EQ(box.title, ui::kDefaultTitle);
        EXPECT_EQ(box.buttons, ui::Buttons::ok);
        EXPECT_EQ(box.icon, ui::Icon::none);
        EXPECT_EQ(box.text, "数据库正忙或已被其他程序锁定，请稍后重试！\r\ndatabase is locked");
    }

    // Every message of these windows is a tip with the information icon.
    static void expect_information_tips()
    {
        for (const auto& m : ui::presenter::shown()) {
            EXPECT_EQ(m.title, app::kTipTitle) << m.text.toStdString();
            EXPECT_EQ(m.buttons, ui::Buttons::ok) << m.text.toStdString();
            EXPECT_EQ(m.icon, ui::Icon::information) << m.text.toStdString();
        }
    }
};

}  // namespace admin_test
