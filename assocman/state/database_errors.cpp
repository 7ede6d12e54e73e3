#include "assocman/state/database_errors.h"

#include "platform/db/db.h"
#include "platform/ui/message.h"

namespace app {
namespace {

const char* sentence_for(db::ResultCode code)
{
    switch (code) {
        case db::ResultCode::busy:
        case db::ResultCode::locked:
            return "数据库正忙或已被其他程序锁定，请稍后重试！";
        case db::ResultCode::corrupt:
        case db::ResultCode::not_a_database:
            return "数据库文件已损坏，或不是本程序的数据库！";
        case db::ResultCode::read_only:
            return "数据库文件只读，无法写入！";
        case db::ResultCode::full:
            return "磁盘空间已满，数据未能保存！";
        case db::ResultCode::io_error:
            return "读写数据库文件时出错！";
        case db::ResultCode::constraint:
            return "数据不符合数据库的约束条件，未能保存！";
        default:
            return nullptr;
    }
}

}  // namespace

QString database_error_text(const db::Error& error)
{
    const QString engine = QString::fromStdString(error.text);
    const char* sentence = sentence_for(error.code);
    return sentence ? QString::fromUtf8(sentence) + "\r\n" + engine : engine;
}

void install_database_error_presenter()
{
    db::set_error_presenter([](const db::Error& error) {
        ui::message_box(database_error_text(error), ui::Buttons::ok, ui::Icon::none);
    });
}

}  // namespace app
