#include "assocman/whiteboard/whiteboard.h"

#include <QStringList>
#include <array>
#include <string>

#include "assocman/state/maker_page.h"
#include "assocman/state/state.h"
#include "assocman/state/tip.h"
#include "assocman/whiteboard_file/whiteboard_file.h"
#include "platform/ui/desktop.h"
#include "platform/ui/runtime.h"

namespace whiteboard {
namespace {

namespace editor = forms::whiteboard_editor;

constexpr std::array<const char*, 4> kBoxes{
    editor::编辑框第一句,
    editor::编辑框第二句,
    editor::编辑框第三句,
    editor::编辑框第四句,
};

QString box(std::size_t i) { return QString::fromUtf8(kBoxes[i]); }

QString whiteboard_path()
{
    return app::state().editor_working_folder + QStringLiteral("usertext/systemad.txt");
}

void editor_created()
{
    auto& st = app::state();
    ui::apply_xp_style(2);
    st.editor_working_folder = ui::get_current_directory() + QLatin1Char('/');
    ui::set_caption(editor::window, st.association_name + QStringLiteral("课堂要点修改"));

    whiteboard_file::Whiteboard board = whiteboard_file::read_whiteboard_file(whiteboard_path());
    st.editor_whiteboard_text = std::move(board.text);
    st.editor_whiteboard_lines = std::move(board.lines);
    // The four boxes stand for a whole board; anything else is left for the
    // user to write afresh rather than shown in part.
    if (st.editor_whiteboard_lines.size() != static_cast<qsizetype>(kBoxes.size())) return;
    for (std::size_t i = 0; i < kBoxes.size(); ++i)
        ui::set_text(editor::window, box(i), st.editor_whiteboard_lines[static_cast<qsizetype>(i)]);
}

void editor_save()
{
    QStringList before;
    for (std::size_t i = 0; i < kBoxes.size(); ++i) {
        const QString text = ui::text(editor::window, box(i));
        before.append(text);
        if (!text.isEmpty())
            ui::set_text(editor::window, box(i), QString::number(i + 1) + QLatin1Char('.') + text);
    }

    QStringList pieces;
    for (std::size_t i = 0; i < kBoxes.size(); ++i) pieces.append(ui::text(editor::window, box(i)));

    if (!whiteboard_file::write_whiteboard_file(whiteboard_path(), pieces)) {
        // The numbers only belong in the boxes once they are on disk; leaving
        // them would number every line twice when the user tries again.
        for (std::size_t i = 0; i < kBoxes.size(); ++i)
            ui::set_text(editor::window, box(i), before[static_cast<qsizetype>(i)]);
        app::show_error(QStringLiteral("抱歉，课堂要点数据保存失败！"));
        return;
    }
    app::show_info(QStringLiteral("恭喜！课堂要点数据修改成功！"));
}

void about_link_pressed()
{
    // Whether a browser comes up is the desktop's business; the link reports
    // nothing either way.
    (void)ui::open_url(QString::fromLatin1(app::kMakerPage));
}

QString help_text()
{
    const QString indent = QStringLiteral("    ");
    QStringList lines{
        indent + QStringLiteral("首先，欢迎使用本程序！希望本程序能给您带来方便和使用价值！"),
        indent +
            QStringLiteral(
                "如果您在使用中有任何建议或意见，欢迎发送邮件至feedback@morvain.example.org告诉设计者！"),
        indent,
    };
    struct Section {
        const char* heading;
        const char* description;
    };
    constexpr std::array<Section, 6> kSections{{
        {"---会员签到---    ",
         "*本功能是完成对会员的电子点名操作！等待全部成员点名完成后，系统将生成一个文本文档，在该文档中将列出"
         "会员的"
         "出勤/缺席情况，文档的位置在生成后会有提示语，请注意观察！"},
        {"---会员查询---",
         "*本功能主要进行会员的信息查找操作！如果输入的姓名正确，将会在程序下方显示会员的详细信息！如果信息有"
         "错误，"
         "可以直接对其进行修改！"},
        {"---随机选人---",
         "*在协会成员的管理中和正常教学时，偶尔会有抽查或者提问的环节，如果人工去选择，将会携带个人情感因素！"
         "既然选"
         "择是纠结的，那么我们可以依靠这个功能完成随机选人的操作！"},
        {"---问题记录---",
         "*如果遇到教学或者管理的时候，需要记录一些事情，而此时身边没有笔和纸！或者为了方便问题的查阅，使用者"
         "可以借"
         "助这个功能完成对问题的记录！"},
        {"---课堂要点---",
         "*该功能即系统白板，使用后，会在主工作区产生若干条白板公告信息！起到广而告之和主题展示的作用！"},
        {"---管理设置---", "*对管理员的密码进行修改，和管理员的添加操作，目的在于实现多用户的操作！"},
    }};
    for (std::size_t i = 0; i < kSections.size(); ++i) {
        if (i > 0) lines.append(QString());
        lines.append(QString::fromUtf8(kSections[i].heading));
        lines.append(QString::fromUtf8(kSections[i].description));
    }
    return lines.join(QStringLiteral("\r\n"));
}

void help_created() { ui::set_text(forms::help::window, forms::help::编辑框1, help_text()); }

}  // namespace

void register_whiteboard_handlers()
{
    ui::register_handler(forms::whiteboard_editor::handler::on_created, editor_created);
    ui::register_handler(forms::whiteboard_editor::handler::on_save, editor_save);
    ui::register_handler(forms::about::handler::on_link_pressed, about_link_pressed);
    ui::register_handler(forms::help::handler::on_created, help_created);
}

}  // namespace whiteboard
