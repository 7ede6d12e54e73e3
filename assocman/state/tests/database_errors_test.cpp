// Engine errors as the operator reads them: real failures of the engine,
// shown through the program's presenter.
#include "assocman/state/database_errors.h"

#include <gtest/gtest.h>

#include <QFile>
#include <functional>
#include <ostream>
#include <string>
#include <utility>

#include "assocman/testing/window_test.h"
#include "platform/db/db.h"
#include "platform/ui/message.h"
#include "platform/ui/testing.h"

// Readable failures for the texts shown.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace {

class DatabaseErrors : public assocman_testing::WindowTest {};

TEST(DatabaseErrorText, EachEngineResultHasItsSentence)
{
    using db::ResultCode;
    const std::pair<ResultCode, QString> cases[] = {
        {ResultCode::busy, "数据库正忙或已被其他程序锁定，请稍后重试！\r\nx"},
        {ResultCode::locked, "数据库正忙或已被其他程序锁定，请稍后重试！\r\nx"},
        {ResultCode::corrupt, "数据库文件已损坏，或不是本程序的数据库！\r\nx"},
        {ResultCode::not_a_database, "数据库文件已损坏，或不是本程序的数据库！\r\nx"},
        {ResultCode::read_only, "数据库文件只读，无法写入！\r\nx"},
        {ResultCode::full, "磁盘空间已满，数据未能保存！\r\nx"},
        {ResultCode::io_error, "读写数据库文件时出错！\r\nx"},
        {ResultCode::constraint, "数据不符合数据库的约束条件，未能保存！\r\nx"},
        {ResultCode::error, "x"},  // the engine's text alone
    };
    for (const auto& [code, text] : cases) {
        EXPECT_EQ(app::database_error_text(db::Error{code, "x"}), text) << static_cast<int>(code);
    }
}

TEST_F(DatabaseErrors, CommonEngineResultsAreToldInChineseBeforeTheEngineText)
{
    struct Case {
        const char* label;
        std::function<void(db::RecordSet&)> prepare;
        std::string statement;
        QString text;
    };
    const Case cases[] = {
        {"constraint",
         [](db::RecordSet& rs) {
             ASSERT_TRUE(
                 db::recordset_open(rs, "create unique index one_name on causer (name)", db::Source::sql));
             ASSERT_TRUE(db::recordset_open(rs, "insert into causer (name) values ('a')", db::Source::sql));
         },
         "insert into causer (name) values ('a')",
         "数据不符合数据库的约束条件，未能保存！\r\nUNIQUE constraint failed: causer.name"},
        {"disk full",
         [](db::RecordSet& rs) {
             ASSERT_TRUE(db::recordset_open(rs, "pragma max_page_count = 16", db::Source::sql));
         },
         "insert into causer (otherinfo) values (zeroblob(100000))",
         "磁盘空间已满，数据未能保存！\r\ndatabase or disk is full"},
        {"read-only",
         [](db::RecordSet& rs) {
             ASSERT_TRUE(db::recordset_open(rs, "pragma query_only = 1", db::Source::sql));
         },
         "insert into causer (name) values ('a')",
         "数据库文件只读，无法写入！\r\nattempt to write a readonly database"},
        {"damaged",
         [this](db::RecordSet&) {
             QFile file(QString::fromStdString(database_file()));
             ASSERT_TRUE(file.open(QIODevice::ReadWrite));
             ASSERT_TRUE(file.seek(1024));
             ASSERT_EQ(file.write(QByteArray(2048, '\x5a')), 2048);
         },
         "select * from causer",
         "数据库文件已损坏，或不是本程序的数据库！\r\ndatabase disk image is malformed"},
    };
    set_database_key("k");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        QFile::remove(QString::fromStdString(database_file()));
        ASSERT_NO_FATAL_FAILURE(create_database());
        db::Connection connection;
        db::RecordSet rs;
        ASSERT_TRUE(connect(connection, rs));
        ASSERT_NO_FATAL_FAILURE(c.prepare(rs));
        ui::presenter::clear();
        EXPECT_FALSE(db::recordset_open(rs, c.statement, db::Source::sql));
        const auto shown = ui::presenter::shown();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0].text, c.text);
        EXPECT_EQ(shown[0].title, ui::kDefaultTitle);
        EXPECT_EQ(shown[0].buttons, ui::Buttons::ok);
        EXPECT_EQ(shown[0].icon, ui::Icon::none);
    }
}

}  // namespace
