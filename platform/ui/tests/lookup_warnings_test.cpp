// A name that no description has is a fault of the program: its lookup logs a
// warning, and the test that made it fails. A window that is described but
// not open is normal and stays quiet.
#include "platform/ui/tests/lookup_warnings.h"

#include <gtest/gtest-spi.h>

#include "platform/ui/tests/test_support.h"

namespace ui::testing {
namespace {

class UiLookups : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        describe(R"({"window":"w","size":[200,100],
            "menus":[{"caption":"菜单","items":[{"name":"菜单项","caption":"项"}]}],
            "controls":[{"name":"标签","type":"TransLabel","rect":[0,0,50,20],"text":"文字"},
                        {"name":"连接","type":"DBConnection"},{"name":"记录集","type":"RecordSet"}]})");
    }
};

TEST_F(UiLookups, ANameTheDescriptionsLackWarnsAndFailsTheTest)
{
    ASSERT_TRUE(load_window(QStringLiteral("w")));
    EXPECT_EQ(text(QStringLiteral("w"), QStringLiteral("标签")), QStringLiteral("文字"));

    EXPECT_NONFATAL_FAILURE(
        set_text("w", "标鉴", "x"),
        "ui lookup: the description of window \"w\" has no control or menu item \"标鉴\"");
    EXPECT_NONFATAL_FAILURE(set_disabled("w", "菜单相", true), "\"菜单相\"");
    EXPECT_NONFATAL_FAILURE((void)connection("w", "链接"), "\"链接\"");
    EXPECT_NONFATAL_FAILURE((void)recordset("w", "记录"), "\"记录\"");
    EXPECT_NONFATAL_FAILURE((void)caption("ww"), "ui lookup: no description has a window \"ww\"");
    EXPECT_NONFATAL_FAILURE((void)text("ww", "标签"), "\"ww\"");
    EXPECT_NONFATAL_FAILURE((void)load_window("ww"), "\"ww\"");

    // A test that probes a missing name says so; a warning it waits for in
    // vain fails it.
    {
        ExpectLookupWarning expected(QStringLiteral("标鉴"));
        EXPECT_EQ(text(QStringLiteral("w"), QStringLiteral("标鉴")), QString());
    }
    EXPECT_NONFATAL_FAILURE({ ExpectLookupWarning expected(QStringLiteral("标签")); },
                            "no lookup warning named \"标签\"");
}

TEST_F(UiLookups, AWindowThatIsNotOpenStaysQuietAboutTheNamesOfItsDescription)
{
    const QString w = QStringLiteral("w");
    EXPECT_EQ(text(w, QStringLiteral("标签")), QString());
    ASSERT_TRUE(load_window(w));
    destroy_window_or_unit(w);
    settle();
    ASSERT_FALSE(is_window_open(w));

    // What a handler that outlives its window does: nothing read, nothing
    // written, nothing said.
    EXPECT_EQ(text(w, QStringLiteral("标签")), QString());
    set_text(w, QStringLiteral("标签"), QStringLiteral("x"));
    set_disabled(w, QStringLiteral("菜单项"), true);
    EXPECT_EQ(connection(w, QStringLiteral("连接")), nullptr);
    EXPECT_EQ(recordset(w, QStringLiteral("记录集")), nullptr);
    EXPECT_EQ(caption(w), QString());

    // A name its description lacks is a fault all the same.
    EXPECT_NONFATAL_FAILURE(set_text("w", "标鉴", "x"), "has no control or menu item \"标鉴\"");
}

}  // namespace
}  // namespace ui::testing
