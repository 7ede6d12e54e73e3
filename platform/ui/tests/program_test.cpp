#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "platform/ui/fonts.h"
#include "platform/ui/testing.h"
#include "platform/ui/tests/test_support.h"

namespace ui::testing {
namespace {

class UiProgram : public UiTest {};

TEST_F(UiProgram, FatalErrorShowsItsBoxAndEndsWithMinusOneWithoutCleanUp)
{
    const struct {
        const char* message;
        std::optional<long> code;
        const char* text;
    } cases[] = {
        {"读取设置失败", std::nullopt, "运行时出错!\n\n错误信息：读取设置失败\n"},
        {"网络不可用!", 101, "运行时出错!\n\n错误代码：101\n\n错误信息：网络不可用!\n"},
    };
    int cleanups = 0;
    register_exit_cleanup([&] { ++cleanups; });
    for (const auto& c : cases) {
        presenter::clear();
        int code = 0;
        try {
            fatal_error(QString::fromUtf8(c.message), c.code);
        } catch (const FatalExit& e) {
            code = e.code;
        }
        EXPECT_EQ(code, -1);
        const auto shown = presenter::shown();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0].title, QStringLiteral("错误"));
        EXPECT_EQ(shown[0].buttons, Buttons::ok);
        EXPECT_EQ(shown[0].icon, Icon::stop);
        EXPECT_EQ(shown[0].text, QString::fromUtf8(c.text));
    }
    EXPECT_EQ(cleanups, 0);
}

TEST_F(UiProgram, ExitProgramRunsTheCleanUpOnceAndPassesTheCode)
{
    int cleanups = 0;
    register_exit_cleanup([&] { ++cleanups; });
    exit_program(0);
    exit_program(3);
    EXPECT_EQ(cleanups, 1);
    EXPECT_EQ(exit_codes, (std::vector<int>{0, 3}));
}

TEST_F(UiProgram, WaitingKeepsEventsFlowing)
{
    // No time to wait: both return (one that waited for ever would stop the
    // test here until its time limit fails it).
    wait_processing_events(0);
    wait_processing_events(-5);

    QElapsedTimer clock;
    bool ran = false;
    QTimer::singleShot(5, [&] { ran = true; });
    clock.start();
    wait_processing_events(50);
    EXPECT_TRUE(ran);
    EXPECT_GE(clock.elapsed(), 45);
}

TEST_F(UiProgram, VisualStyleSchemes)
{
    const struct {
        int scheme;
        int kept;
        const char* frame;
    } cases[] = {{1, 1, "#7b9ebd"}, {2, 2, "#a4b97f"}, {3, 3, "#c6c5d7"},
                 {0, 0, nullptr},   {4, 0, nullptr},   {-1, 0, nullptr}};
    for (const auto& c : cases) {
        apply_xp_style(2);
        apply_xp_style(c.scheme);
        EXPECT_EQ(current_xp_style(), c.kept) << c.scheme;
        if (c.frame) {
            EXPECT_TRUE(qApp->styleSheet().contains(QString::fromLatin1(c.frame))) << c.scheme;
        } else {
            EXPECT_TRUE(qApp->styleSheet().isEmpty()) << c.scheme;
        }
    }
}

TEST(UiFonts, DescriptionFacesMapOntoSimplifiedChineseFonts)
{
    const struct {
        const char* face;
        const char* family;
    } cases[] = {
        {"宋体", detail::kSerifFamily},
        {"新宋体", detail::kSerifFamily},
        {"宋体-方正超大字符集", detail::kSerifFamily},
        {"华文中宋", detail::kSerifFamily},
        {"楷体_GB2312", detail::kKaiFamily},
        {"黑体", detail::kSansFamily},
        {"", detail::kSansFamily},
        {"Arial", detail::kSansFamily},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(detail::family_for_face(QString::fromUtf8(c.face)), QString::fromLatin1(c.family))
            << c.face;
    }
    const QFont bold = detail::description_font({QStringLiteral("宋体"), 56, 700});
    EXPECT_EQ(bold.pixelSize(), 56);
    EXPECT_EQ(bold.weight(), QFont::Bold);
}

}  // namespace
}  // namespace ui::testing
