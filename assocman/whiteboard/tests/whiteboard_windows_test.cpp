#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTest>
#include <QUrl>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "assocman/state/maker_page.h"
#include "assocman/state/state.h"
#include "assocman/state/tip.h"
#include "assocman/testing/window_test.h"
#include "assocman/whiteboard/whiteboard.h"
#include "assocman/workspace/tests/workspace_fixture.h"
#include "platform/ui/message.h"
#include "platform/ui/runtime.h"
#include "platform/ui/testing.h"
#include "tests/support/wait_until.h"

namespace {

using namespace std::string_literals;

const QString kEditor = QStringLiteral("whiteboard_editor");
const QString kAbout = QStringLiteral("about");
const QString kHelp = QStringLiteral("help");
const QStringList kBoxes{QStringLiteral("编辑框第一句"), QStringLiteral("编辑框第二句"),
                         QStringLiteral("编辑框第三句"), QStringLiteral("编辑框第四句")};

QString u(const char* utf8) { return QString::fromUtf8(utf8); }

class WhiteboardWindows : public assocman_testing::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        if (HasFatalFailure()) return;
        ui::apply_xp_style(0);
        whiteboard::register_whiteboard_handlers();
        for (const QString& window : {kEditor, kAbout, kHelp}) {
            ASSERT_NO_FATAL_FAILURE(assocman_testing::add_form(window));
        }
        ASSERT_NO_FATAL_FAILURE(assocman_testing::add_description(
            R"({"window": "workspace", "title": "ws", "size": [784, 635]})", "workspace"));
        ASSERT_TRUE(ui::load_window(QStringLiteral("workspace")));
        enter_program_folder();

        auto& st = app::state();
        st.association_name = QStringLiteral("Quillet");
        // The workspace's own copy must stay as the workspace read it.
        st.whiteboard_lines = QStringList{QStringLiteral("workspace")};
    }

    void write_board(const std::string& bytes) { write_usertext(QStringLiteral("systemad.txt"), bytes); }
    std::optional<std::string> read_board() const { return read_usertext(QStringLiteral("systemad.txt")); }

    void open(const QString& window)
    {
        open_window(window, QStringLiteral("workspace"));
        ASSERT_TRUE(ui::is_window_open(window));
    }

    // The four boxes as one text, "|" between them.
    QString boxes() const
    {
        QStringList texts;
        for (const QString& box : kBoxes) texts.append(ui::text(kEditor, box));
        return texts.join(QLatin1Char('|'));
    }

    void fill_boxes(const char* joined)
    {
        const QStringList texts = u(joined).split(QLatin1Char('|'));
        for (qsizetype i = 0; i < kBoxes.size(); ++i) ui::set_text(kEditor, kBoxes[i], texts[i]);
    }

    void click_save() { click(kEditor, QStringLiteral("按钮修改课堂要点")); }
};

// ---- editor: opening -------------------------------------------------------

struct OpenCase {
    const char* name;
    std::optional<std::string> file;  // none: no whiteboard file
    const char* boxes;
    qsizetype lines;
};

const OpenCase kOpenCases[] = {
    {"missing_file", std::nullopt, "|||", 0},
    {"four_lines", "1.a\r\n2.b\r\n3.c\r\n4.d"s, "1.a|2.b|3.c|4.d", 4},
    {"outer_spaces_trimmed_inner_kept", "\xA1\xA1 \xC4\xDA\xC8\xDD\r\nb \r\n\r\n d \xA1\xA1 "s, "内容|b || d",
     4},
    {"fourth_saved_empty_reads_as_three", "1.a\r\n2.b\r\n3.c\r\n"s, "|||", 3},
    {"all_saved_empty_reads_as_three", "\r\n\r\n\r\n"s, "|||", 3},
    {"five_lines", "1\r\n2\r\n3\r\n4\r\n5"s, "|||", 5},
};

class WhiteboardEditorOpen : public WhiteboardWindows, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(WhiteboardEditorOpen, FillsBoxesOnlyFromFourLines)
{
    const OpenCase& c = GetParam();
    if (c.file) write_board(*c.file);
    open(kEditor);

    EXPECT_EQ(boxes(), u(c.boxes));
    EXPECT_EQ(ui::caption(kEditor), u("Quillet课堂要点修改"));
    EXPECT_EQ(ui::current_xp_style(), 2);
    const auto& st = app::state();
    EXPECT_EQ(st.editor_working_folder, QDir::currentPath() + QLatin1Char('/'));
    EXPECT_EQ(st.editor_whiteboard_lines.size(), c.lines);
    EXPECT_EQ(st.whiteboard_lines, QStringList{QStringLiteral("workspace")});
    EXPECT_TRUE(ui::presenter::shown().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Files, WhiteboardEditorOpen, ::testing::ValuesIn(kOpenCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- editor: saving --------------------------------------------------------

struct SaveCase {
    const char* name;
    const char* typed;
    const char* shown;  // the boxes after saving
    std::string bytes;  // the whole file after saving
};

const SaveCase kSaveCases[] = {
    {"four_texts", "a|b|c|d", "1.a|2.b|3.c|4.d", "1.a\r\n2.b\r\n3.c\r\n4.d"},
    {"all_empty", "|||", "|||", "\r\n\r\n\r\n"},
    {"fourth_empty", "a|b|c|", "1.a|2.b|3.c|", "1.a\r\n2.b\r\n3.c\r\n"},
    {"spaces_and_numbers_are_text", "  |1.a||\xE3\x80\x80", "1.  |2.1.a||4.\xE3\x80\x80",
     "1.  \r\n2.1.a\r\n\r\n4.\xA1\xA1"},
    {"gbk_bytes", "内容|要点||", "1.内容|2.要点||", "1.\xC4\xDA\xC8\xDD\r\n2.\xD2\xAA\xB5\xE3\r\n\r\n"},
};

class WhiteboardEditorSave : public WhiteboardWindows, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(WhiteboardEditorSave, NumbersBoxesAndReplacesTheWholeFile)
{
    const SaveCase& c = GetParam();
    // A longer old board must not leave a tail behind the new one.
    write_board("old line one that is long\r\nold two\r\nold three\r\nold four and more text");
    open(kEditor);
    fill_boxes(c.typed);
    click_save();

    EXPECT_EQ(boxes(), u(c.shown));
    EXPECT_EQ(read_board(), c.bytes);
    EXPECT_EQ(usertext_entries(),
              QStringList{QStringLiteral("systemad.txt")});  // no temporary file left behind
    const auto shown = ui::presenter::shown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].title, u(app::kTipTitle));
    EXPECT_EQ(shown[0].text, u("恭喜！课堂要点数据修改成功！"));
    EXPECT_EQ(shown[0].buttons, ui::Buttons::ok);
    EXPECT_EQ(shown[0].icon, ui::Icon::information);
    EXPECT_TRUE(ui::is_window_open(kEditor));
}

INSTANTIATE_TEST_SUITE_P(Boxes, WhiteboardEditorSave, ::testing::ValuesIn(kSaveCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WhiteboardWindows, EditorTypedSavedReopenedAndSavedAgainNumbersTwice)
{
    open(kEditor);
    const QStringList typed{"a", "b", "c", "d"};
    for (qsizetype i = 0; i < kBoxes.size(); ++i) {
        QWidget* edit = ui::control_widget(kEditor, kBoxes[i]);
        ASSERT_NE(edit, nullptr);
        QTest::mouseClick(edit, Qt::LeftButton);
        QTest::keyClicks(edit, typed[i]);
    }
    click_save();
    EXPECT_EQ(read_board(), "1.a\r\n2.b\r\n3.c\r\n4.d"s);

    press_key_in(kEditor, Qt::Key_Escape);
    EXPECT_FALSE(ui::is_window_open(kEditor));
    open(kEditor);
    EXPECT_EQ(boxes(), u("1.a|2.b|3.c|4.d"));

    click_save();
    EXPECT_EQ(read_board(), "1.1.a\r\n2.2.b\r\n3.3.c\r\n4.4.d"s);
}

// A board that cannot be written is reported as such, and the boxes go back
// to what the user typed so that the next try numbers them once only.
struct FailCase {
    const char* name;
    bool (*break_folder)(const QString& usertext);
};

const FailCase kFailCases[] = {
    {"usertext_missing", [](const QString& usertext) { return QDir(usertext).removeRecursively(); }},
    {"board_is_a_folder", [](const QString& usertext) { return QDir(usertext).mkpath("systemad.txt"); }},
    {"board_is_read_only",
     [](const QString& usertext) {
         QFile board(usertext + QStringLiteral("/systemad.txt"));
         return board.open(QIODevice::WriteOnly) && board.write("1.old") == 5 &&
                board.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
     }},
};

class WhiteboardEditorSaveFails : public WhiteboardWindows, public ::testing::WithParamInterface<FailCase> {};

TEST_P(WhiteboardEditorSaveFails, ReportsFailureAndKeepsTypedTexts)
{
    open(kEditor);
    const QString usertext = dir.filePath(QStringLiteral("usertext"));
    ASSERT_TRUE(GetParam().break_folder(usertext));
    const std::optional<std::string> before = read_board();
    fill_boxes("a||c|d");
    click_save();

    auto shown = ui::presenter::shown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].title, u(app::kTipTitle));
    EXPECT_EQ(shown[0].text, u("抱歉，课堂要点数据保存失败！"));
    EXPECT_EQ(shown[0].buttons, ui::Buttons::ok);
    EXPECT_EQ(shown[0].icon, ui::Icon::stop);
    EXPECT_EQ(boxes(), u("a||c|d"));
    EXPECT_EQ(read_board(), before);

    // Once the folder is sound again the same texts save numbered once.
    QDir(usertext).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(usertext));
    click_save();
    EXPECT_EQ(read_board(), "1.a\r\n\r\n3.c\r\n4.d"s);
    shown = ui::presenter::shown();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[1].text, u("恭喜！课堂要点数据修改成功！"));
}

INSTANTIATE_TEST_SUITE_P(Folders, WhiteboardEditorSaveFails, ::testing::ValuesIn(kFailCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WhiteboardWindows, FullDiskKeepsTheOldBoardAndSaysSo)
{
    const std::string old = "1.old\r\n2.b\r\n3.c\r\n4.d";
    write_board(old);
    open(kEditor);
    fill_boxes("a|b|c|d");
    {
        const assocman_testing::FileSizeLimit full_disk(1);
        click_save();
    }
    EXPECT_EQ(assocman_testing::shown_texts().join(QLatin1Char('|')).toStdString(),
              "抱歉，课堂要点数据保存失败！");
    EXPECT_EQ(read_board(), old);
    EXPECT_EQ(usertext_entries(), QStringList{QStringLiteral("systemad.txt")});
}

// ---- a whiteboard that is no file ------------------------------------------

// Opens the other end of a FIFO once `after` has passed, and again every few
// milliseconds until it is destroyed: a reader stuck waiting for a writer
// comes back (reading nothing) and the test fails instead of hanging.
class FifoWatchdog {
public:
    FifoWatchdog(std::string path, std::chrono::milliseconds after)
        : path_(std::move(path)), after_(after), thread_([this] { run(); })
    {
    }
    ~FifoWatchdog()
    {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    FifoWatchdog(const FifoWatchdog&) = delete;
    FifoWatchdog& operator=(const FifoWatchdog&) = delete;

    bool released_a_reader() const { return released_; }

private:
    void run()
    {
        std::unique_lock lock(mutex_);
        auto wait = after_;
        while (!wake_.wait_for(lock, wait, [this] { return stop_; })) {
            // Succeeds only while somebody has the FIFO open for reading.
            const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                released_ = true;
                ::close(fd);
            }
            wait = std::chrono::milliseconds(20);
        }
    }

    std::string path_;
    std::chrono::milliseconds after_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::atomic<bool> released_{false};
    std::thread thread_;
};

// The real workspace, as after a login, with the real editor.
class WhiteboardNotAFile : public workspace_test::WorkspaceFixture {
protected:
    void SetUp() override
    {
        WorkspaceFixture::SetUp();
        if (HasFatalFailure()) return;
        whiteboard::register_whiteboard_handlers();
        ASSERT_NO_FATAL_FAILURE(assocman_testing::add_form(kEditor));
    }
};

TEST_F(WhiteboardNotAFile, FifoReadsAsNoBoardInTheWorkspaceAndTheEditor)
{
    const std::string fifo = usertext(QStringLiteral("systemad.txt")).toStdString();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const FifoWatchdog watchdog(fifo, std::chrono::seconds(5));

    open_workspace();
    EXPECT_TRUE(ui::is_window_open(QStringLiteral("workspace")));
    EXPECT_TRUE(app::state().whiteboard_lines.isEmpty());

    open_window(kEditor, QStringLiteral("workspace"));
    EXPECT_TRUE(ui::is_window_open(kEditor));
    for (const QString& box : kBoxes) EXPECT_EQ(ui::text(kEditor, box), QString()) << box.toStdString();

    EXPECT_FALSE(watchdog.released_a_reader()) << "a read of the whiteboard waited for a writer";
}

// ---- the three windows -----------------------------------------------------

TEST_F(WhiteboardWindows, EachWindowHasItsTitleAndClosesWithEsc)
{
    const std::pair<QString, const char*> cases[] = {
        {kEditor, "Quillet课堂要点修改"},
        {kAbout, "关于MorvainQuillet管理系统"},
        {kHelp, "Tarnwick使用帮助 版本:V1.0"},
    };
    for (const auto& [window, title] : cases) {
        SCOPED_TRACE(window.toStdString());
        open(window);
        EXPECT_EQ(ui::caption(window), u(title));
        press_key_in(window, Qt::Key_Escape);
        EXPECT_FALSE(ui::is_window_open(window));
    }
    EXPECT_TRUE(ui::is_window_open(QStringLiteral("workspace")));
}

TEST_F(WhiteboardWindows, AboutLinkOpensTheMakersPage)
{
    open(kAbout);
    EXPECT_EQ(ui::current_xp_style(), 0);
    EXPECT_EQ(urls_opened_by_clicking(kAbout, u("透明标签6")),
              QList<QUrl>{QUrl(QString::fromLatin1(app::kMakerPage))});
    EXPECT_TRUE(ui::presenter::shown().isEmpty());
    EXPECT_TRUE(ui::is_window_open(kAbout));
}

TEST_F(WhiteboardWindows, HelpShowsTheTwentyLinesReadOnly)
{
    open(kHelp);
    EXPECT_EQ(ui::current_xp_style(), 0);
    const QString box = QStringLiteral("编辑框1");
    EXPECT_EQ(ui::edit_mode(kHelp, box), QStringLiteral("readonly"));

    const QStringList lines = ui::text(kHelp, box).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 20);
    EXPECT_EQ(lines[0], u("    首先，欢迎使用本程序！希望本程序能给您带来方便和使用价值！"));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("    ")) && lines[1].contains(QLatin1Char('@')));
    EXPECT_EQ(lines[2], QStringLiteral("    "));
    const char* headings[] = {"---会员签到---    ", "---会员查询---", "---随机选人---",
                              "---问题记录---",     "---课堂要点---", "---管理设置---"};
    for (qsizetype i = 0; i < 6; ++i) {
        EXPECT_EQ(lines[3 + i * 3], u(headings[i])) << i;
        EXPECT_TRUE(lines[4 + i * 3].startsWith(QLatin1Char('*'))) << i;
        EXPECT_TRUE(i == 5 || lines[5 + i * 3].isEmpty()) << i;
    }
    EXPECT_EQ(lines[19], u("*对管理员的密码进行修改，和管理员的添加操作，目的在于实现多用户的操作！"));
}

}  // namespace
