#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/ui/ahead.h"
#include "platform/ui/jpeg.h"
#include "platform/ui/testing.h"
#include "platform/ui/tests/test_support.h"
#include "platform/ui/widgets.h"

namespace ui::testing {
namespace {

class UiDescriptions : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        register_handler(QStringLiteral("t.ok"), [] {});
    }
};

class UiFolder : public UiDescriptions {
protected:
    void write(const QString& name, const QByteArray& bytes)
    {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QTemporaryDir dir;
};

struct BadCase {
    const char* what;
    const char* json;    // "PICTURE" stands for the path of the picture below
    const char* reason;  // part of the error text
    QByteArray (*picture)(const QByteArray& good) = nullptr;  // made from a sound JPEG
};

const BadCase kBadCases[] = {
    {"unknown handler", R"({"window":"w","size":[10,10],"events":{"on_created":"t.nobody"}})",
     "unknown handler \"t.nobody\""},
    {"unknown control handler",
     R"({"window":"w","size":[10,10],"controls":[{"name":"b","type":"Button","rect":[0,0,1,1],
        "events":{"on_click":"t.nobody"}}]})",
     "unknown handler"},
    {"unknown menu handler",
     R"({"window":"w","size":[10,10],"menus":[{"caption":"m","items":[{"name":"i","caption":"c",
        "events":{"on_selected":"t.nobody"}}]}]})",
     "unknown handler"},
    {"unknown control type",
     R"({"window":"w","size":[10,10],"controls":[{"name":"x","type":"Slider","rect":[0,0,1,1]}]})",
     "unknown control type \"Slider\""},
    {"property of another type",
     R"({"window":"w","size":[10,10],"controls":[{"name":"x","type":"Button","rect":[0,0,1,1],"max_length":3}]})",
     "unknown property \"max_length\""},
    {"unknown window key", R"({"window":"w","size":[10,10],"resizable":true})",
     "unknown window key \"resizable\""},
    {"unknown window event", R"({"window":"w","size":[10,10],"events":{"on_paint":"t.ok"}})",
     "unknown event \"on_paint\""},
    {"event of another type",
     R"({"window":"w","size":[10,10],"controls":[{"name":"x","type":"TransLabel","rect":[0,0,1,1],
        "events":{"on_click":"t.ok"}}]})",
     "unknown event \"on_click\""},
    {"unknown font key",
     R"({"window":"w","size":[10,10],"controls":[{"name":"x","type":"TransLabel","rect":[0,0,1,1],
        "font":{"face":"宋体","size":3}}]})",
     "unknown font key \"size\""},
    {"unknown menu item key",
     R"({"window":"w","size":[10,10],"menus":[{"caption":"m","items":[{"caption":"c","icon":"x"}]}]})",
     "unknown menu item key \"icon\""},
    {"bad colour",
     R"({"window":"w","size":[10,10],"controls":[{"name":"x","type":"TransLabel","rect":[0,0,1,1],"color":"red"}]})",
     "colour"},
    {"short rect",
     R"({"window":"w","size":[10,10],"controls":[{"name":"x","type":"Button","rect":[0,0,1]}]})", "\"rect\""},
    {"visual control without rect",
     R"({"window":"w","size":[10,10],"controls":[{"name":"x","type":"Button"}]})", "\"rect\" is missing"},
    {"text of wrong kind",
     R"({"window":"w","size":[10,10],"controls":[{"name":"x","type":"Button","rect":[0,0,1,1],"text":5}]})",
     "must be a text"},
    {"name used twice",
     R"({"window":"w","size":[10,10],"controls":[{"name":"x","type":"Button","rect":[0,0,1,1]},
        {"name":"x","type":"Line","rect":[0,0,1,1]}]})",
     "used twice"},
    {"menu item and control share a name",
     R"({"window":"w","size":[10,10],"menus":[{"caption":"m","items":[{"name":"x","caption":"c"}]}],
        "controls":[{"name":"x","type":"Button","rect":[0,0,1,1]}]})",
     "used twice"},
    {"two default buttons",
     R"({"window":"w","size":[10,10],"controls":[{"name":"a","type":"Button","rect":[0,0,1,1],"default":true},
        {"name":"b","type":"Button","rect":[0,0,1,1],"default":true}]})",
     "second default button"},
    {"unknown edit mode",
     R"({"window":"w","size":[10,10],"controls":[{"name":"e","type":"EditBox","rect":[0,0,1,1],"mode":"hex"}]})",
     "\"mode\""},
    {"combo current out of range",
     R"({"window":"w","size":[10,10],"controls":[{"name":"c","type":"ComboBox","rect":[0,0,1,1],
        "items":["a"],"current":1}]})",
     "\"current\""},
    {"unknown shortcut",
     R"({"window":"w","size":[10,10],"menus":[{"caption":"m","items":[{"caption":"c","shortcut":"Ctrl+Hyper+Q"}]}]})",
     "unknown shortcut"},
    {"missing size", R"({"window":"w"})", "\"size\" is missing"},
    {"missing window name", R"({"size":[10,10]})", "\"window\""},
    {"missing picture", R"({"window":"w","size":[10,10],"background":":/samples/none.jpg"})", "not found"},
    {"not JSON", R"({"window":"w",)", "not valid JSON"},
    {"truncated background", R"({"window":"w","size":[10,10],"background":"PICTURE"})", "broken JPEG",
     [](const QByteArray& g) { return g.left(g.size() / 3); }},
    {"window icon not a JPEG", R"({"window":"w","size":[10,10],"icon":"PICTURE"})", "broken JPEG",
     [](const QByteArray&) { return QByteArray("GIF89a not a jpeg at all"); }},
};

TEST_F(UiFolder, EveryBadDescriptionIsRefusedWithFileAndReasonWithOrWithoutReadingAhead)
{
    QFile sound(QStringLiteral(":/samples/icon.jpg"));
    ASSERT_TRUE(sound.open(QIODevice::ReadOnly));
    const QByteArray good = sound.readAll();
    for (const BadCase& c : kBadCases) {
        SCOPED_TRACE(c.what);
        QByteArray json(c.json);
        if (c.picture) {
            // A file of its own: a picture once decoded is kept by its path.
            const QString picture = QString::fromUtf8(c.what) + QStringLiteral(".jpg");
            write(picture, c.picture(good));
            json.replace("PICTURE", dir.filePath(picture).toUtf8());
        }
        QString error;
        EXPECT_FALSE(add_description(json, QStringLiteral("bad.json"), &error));
        EXPECT_TRUE(error.startsWith(QStringLiteral("bad.json"))) << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.reason))) << error.toStdString();
        EXPECT_FALSE(has_description(QStringLiteral("w")));
        // The start-up reads the folder ahead on a thread; the program's fatal
        // error box must say what reading it in place says.
        write(QStringLiteral("bad.json"), json);
        QString in_place, ahead;
        EXPECT_FALSE(load_descriptions(dir.path(), &in_place));
        {
            Ahead<DescriptionsRead> reading([path = dir.path()] { return read_descriptions(path); });
            EXPECT_FALSE(load_descriptions(dir.path(), &ahead, /*stub_handlers=*/false, reading.take()));
        }
        EXPECT_EQ(ahead.toStdString(), in_place.toStdString());
        EXPECT_TRUE(in_place.contains(QString::fromUtf8(c.reason))) << in_place.toStdString();
    }
}

TEST_F(UiDescriptions, AFullDescriptionLoadsAndItsWindowOpens)
{
    describe(R"json({
      "window": "full", "title": "标题", "size": [300, 200], "minimize_box": true, "esc_closes": true,
      "taskbar": true, "background": ":/samples/background.jpg", "icon": ":/samples/icon.jpg",
      "events": {"on_created": "t.ok"},
      "menus": [{"caption": "文件(&F)", "items": [{"name": "菜单1", "caption": "一", "shortcut": "Ctrl+Q",
                 "disabled": true, "events": {"on_selected": "t.ok"}}]}],
      "controls": [
        {"name": "标签", "type": "TransLabel", "rect": [1, 2, 50, 20], "text": "城  市：", "align": "center",
         "shadow": [-1, -1], "hand_cursor": true, "font": {"face": "宋体", "height": 16, "weight": 700},
         "color": "#9000FF", "events": {"on_left_button_down": "t.ok", "on_right_button_up": "t.ok"}},
        {"name": "编辑", "type": "EditBox", "rect": [1, 30, 50, 20], "mode": "integer", "max_length": 10,
         "tab_stop": true, "events": {"on_focus": "t.ok"}},
        {"name": "多行", "type": "EditBox", "rect": [1, 60, 50, 40], "multiline": true, "mode": "readonly"},
        {"name": "按钮", "type": "Button", "rect": [60, 30, 50, 20], "text": "确定", "default": true,
         "disabled": true, "events": {"on_click": "t.ok"}},
        {"name": "选择", "type": "CheckBox", "rect": [60, 60, 50, 20], "checked": true},
        {"name": "单选", "type": "RadioBox", "rect": [60, 90, 50, 20], "visible": false},
        {"name": "组合", "type": "ComboBox", "rect": [120, 30, 80, 100], "items": ["a", "b"], "current": 0},
        {"name": "列表", "type": "ListBox", "rect": [120, 60, 80, 40], "items": ["x"]},
        {"name": "表格", "type": "ListView", "rect": [200, 0, 100, 100], "grid_lines": true,
         "full_row_select": true, "drag_columns": true,
         "columns": [{"title": "城  市", "width": 70, "align": "left"}, {"title": "邮编", "width": 30, "align": "center"}]},
        {"name": "时钟", "type": "Timer", "interval": 0, "events": {"on_tick": "t.ok"}},
        {"name": "托盘", "type": "TrayIcon", "icon": ":/samples/icon.jpg", "tip": "提示",
         "events": {"on_double_click": "t.ok"}},
        {"name": "外形", "type": "ShapeBox", "rect": [-2, 180, 304, 20], "fill": "#ff8000", "border": "#000000"},
        {"name": "线", "type": "Line", "rect": [0, 170, 300, 1], "color": "#ff5080"},
        {"name": "连接", "type": "DBConnection", "rect": [0, 0, 26, 26]},
        {"name": "记录", "type": "RecordSet"}
      ]})json");
    ASSERT_TRUE(has_description(QStringLiteral("full")));
    ASSERT_TRUE(load_window(QStringLiteral("full")));
    EXPECT_EQ(caption(QStringLiteral("full")), QStringLiteral("标题"));
    EXPECT_EQ(text(QStringLiteral("full"), QStringLiteral("标签")), QStringLiteral("城  市："));
    EXPECT_TRUE(is_disabled(QStringLiteral("full"), QStringLiteral("按钮")));
    EXPECT_TRUE(is_disabled(QStringLiteral("full"), QStringLiteral("菜单1")));
    EXPECT_TRUE(is_checked(QStringLiteral("full"), QStringLiteral("选择")));
    EXPECT_FALSE(is_visible(QStringLiteral("full"), QStringLiteral("单选")));
    EXPECT_EQ(current_index(QStringLiteral("full"), QStringLiteral("组合")), 0);
    EXPECT_EQ(current_index(QStringLiteral("full"), QStringLiteral("列表")), -1);
    EXPECT_EQ(edit_mode(QStringLiteral("full"), QStringLiteral("编辑")), QStringLiteral("integer"));
    EXPECT_EQ(edit_mode(QStringLiteral("full"), QStringLiteral("多行")), QStringLiteral("readonly"));
    EXPECT_NE(connection(QStringLiteral("full"), QStringLiteral("连接")), nullptr);
    EXPECT_NE(recordset(QStringLiteral("full"), QStringLiteral("记录")), nullptr);
    EXPECT_EQ(text(QStringLiteral("full"), QStringLiteral("托盘")), QStringLiteral("提示"));
    // The described size is the whole classic window: the controls get it
    // less frame, caption and menu bar, and our own menu bar sits on top.
    QWidget* w = window_widget(QStringLiteral("full"));
    EXPECT_EQ(w->width(), 300 - 6);
    QWidget* client = control_widget(QStringLiteral("full"), QStringLiteral("标签"))->parentWidget();
    EXPECT_EQ(client->height(), 200 - 32 - 19);
    EXPECT_GT(w->height(), client->height());
}

TEST_F(UiDescriptions, AWindowIsDescribedOnlyOnce)
{
    describe(R"({"window":"w","size":[10,10]})");
    QString error;
    EXPECT_FALSE(add_description(R"({"window":"w","size":[20,20]})", QStringLiteral("again.json"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("described twice")));
}

TEST_F(UiFolder, OneBadFileKeepsTheWholeFolderOut)
{
    write(QStringLiteral("a.json"), R"({"window":"a","size":[10,10]})");
    write(QStringLiteral("b.json"), R"({"window":"b","size":[10,10],"events":{"on_created":"t.nobody"}})");
    QString error;
    EXPECT_FALSE(load_descriptions(dir.path(), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("b.json"))) << error.toStdString();
    EXPECT_FALSE(has_description(QStringLiteral("a")));
}

TEST_F(UiFolder, StubModeGivesUnknownHandlersOneThatDoesNothing)
{
    write(QStringLiteral("b.json"), R"({"window":"b","size":[10,10],"events":{"on_created":"t.nobody"}})");
    QString error;
    EXPECT_TRUE(load_descriptions(dir.path(), &error, true)) << error.toStdString();
    EXPECT_TRUE(has_handler(QStringLiteral("t.nobody")));
    EXPECT_TRUE(load_window(QStringLiteral("b")));
}

TEST_F(UiFolder, AnEmptyFolderIsAnError)
{
    QString error;
    EXPECT_FALSE(load_descriptions(dir.path(), &error));
    EXPECT_FALSE(error.isEmpty());
}

struct JpegCase {
    const char* what;
    QByteArray (*make)(const QByteArray& good);
};

TEST(UiJpeg, BrokenPicturesAreReportedNotCrashed)
{
    QFile file(QStringLiteral(":/samples/background.jpg"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray good = file.readAll();

    QString error;
    auto image = decode_jpeg(good, &error);
    ASSERT_TRUE(image.has_value()) << error.toStdString();
    EXPECT_EQ(image->size(), QSize(1024, 708));

    const JpegCase cases[] = {
        {"empty", [](const QByteArray&) { return QByteArray(); }},
        {"not a JPEG", [](const QByteArray&) { return QByteArray("GIF89a not a jpeg at all"); }},
        {"header only", [](const QByteArray& g) { return g.left(200); }},
        {"truncated", [](const QByteArray& g) { return g.left(g.size() / 2); }},
        {"start of frame damaged",
         [](const QByteArray& g) {
             QByteArray b = g;
             const qsizetype sof = b.indexOf("\xFF\xC0");
             if (sof >= 0) b.replace(sof + 5, 4, QByteArray(4, '\0'));  // zero height and width
             return b;
         }},
        {"scan data scrambled",
         [](const QByteArray& g) {
             QByteArray b = g;
             for (qsizetype i = b.size() / 2; i < b.size() - 2; i += 7) b[i] = static_cast<char>(0xFF);
             return b;
         }},
    };
    for (const JpegCase& c : cases) {
        SCOPED_TRACE(c.what);
        QString why;
        EXPECT_FALSE(decode_jpeg(c.make(good), &why).has_value());
        EXPECT_FALSE(why.isEmpty());
    }
}

TEST(UiGbk, LengthCountsChineseCharactersTwice)
{
    const struct {
        const char* text;
        qsizetype bytes;
    } cases[] = {{"", 0}, {"abc", 3}, {"中文", 4}, {"中a文b", 6}, {"，！", 4}};
    for (const auto& c : cases) {
        EXPECT_EQ(detail::gbk_length(QString::fromUtf8(c.text)), c.bytes) << c.text;
    }
}

}  // namespace
}  // namespace ui::testing
