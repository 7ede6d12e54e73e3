#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "platform/ui/testing.h"
#include "platform/ui/tests/test_support.h"

namespace ui::testing {
namespace {

const QString K = QStringLiteral("k");

class UiKeys : public UiTest {
protected:
    void open(const char* json)
    {
        describe(json);
        ASSERT_TRUE(load_window(K));
        QWidget* w = window_widget(K);
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    }
    QWidget* widget(const char* name) { return control_widget(K, QString::fromUtf8(name)); }
};

TEST_F(UiKeys, EscClosesOnlyWindowsThatSaySo)
{
    const struct {
        const char* json;
        bool closes;
        bool box;  // has the edit box "e"
    } cases[] = {
        {R"({"window":"k","size":[100,60],"esc_closes":true,
             "controls":[{"name":"e","type":"EditBox","rect":[0,0,80,20],"tab_stop":true}]})",
         true, true},
        {R"({"window":"k","size":[100,60],"esc_closes":false,
             "controls":[{"name":"e","type":"EditBox","rect":[0,0,80,20],"tab_stop":true}]})",
         false, true},
        {R"({"window":"k","size":[100,60],"esc_closes":true})", true, false},  // nothing has the focus
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.json);
        reset_for_tests();
        presenter::set_scripted(true);
        open(c.json);
        QWidget* target = c.box ? widget("e") : window_widget(K);
        if (c.box) set_focus(K, QStringLiteral("e"));
        QTest::keyClick(target, Qt::Key_Escape);
        settle();
        EXPECT_EQ(is_window_open(K), !c.closes);
        EXPECT_EQ(open_window_count(), c.closes ? 0 : 1);
    }
}

class UiEnterKey : public UiKeys {
protected:
    void SetUp() override
    {
        UiKeys::SetUp();
        record(QStringLiteral("k.ok"));
        record(QStringLiteral("k.other"));
        open(R"({"window":"k","size":[200,160],"controls":[
            {"name":"名","type":"EditBox","rect":[0,0,80,20],"tab_stop":true},
            {"name":"密","type":"EditBox","rect":[0,30,80,20],"tab_stop":true,"mode":"password"},
            {"name":"多","type":"EditBox","rect":[0,60,80,40],"tab_stop":true,"multiline":true},
            {"name":"别","type":"Button","rect":[100,0,80,20],"tab_stop":true,"events":{"on_click":"k.other"}},
            {"name":"登","type":"Button","rect":[100,30,80,20],"tab_stop":true,"default":true,
             "events":{"on_click":"k.ok"}}]})");
    }
};

TEST_F(UiEnterKey, EnterInAnEditBoxClicksTheDefaultButton)
{
    for (const char* box : {"名", "密"}) {
        set_focus(K, QString::fromUtf8(box));
        QTest::keyClick(widget(box), Qt::Key_Return);
    }
    set_focus(K, QStringLiteral("名"));
    QTest::keyClick(widget("名"), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(count("k.ok"), 3);
    // Also with the focus on another button: the default button answers.
    set_focus(K, QStringLiteral("别"));
    QTest::keyClick(widget("别"), Qt::Key_Return);
    EXPECT_EQ(count("k.ok"), 4);
    EXPECT_EQ(count("k.other"), 0);
}

TEST_F(UiEnterKey, ADisabledOrHiddenDefaultButtonIsNotClicked)
{
    set_focus(K, QStringLiteral("名"));
    set_disabled(K, QStringLiteral("登"), true);
    QTest::keyClick(widget("名"), Qt::Key_Return);
    set_disabled(K, QStringLiteral("登"), false);
    set_visible(K, QStringLiteral("登"), false);
    QTest::keyClick(widget("名"), Qt::Key_Return);
    EXPECT_EQ(count("k.ok"), 0);
}

TEST_F(UiEnterKey, AMultiLineEditBoxTakesEnterItself)
{
    set_focus(K, QStringLiteral("多"));
    QTest::keyClicks(widget("多"), QStringLiteral("a"));
    QTest::keyClick(widget("多"), Qt::Key_Return);
    QTest::keyClicks(widget("多"), QStringLiteral("b"));
    EXPECT_EQ(count("k.ok"), 0);
    EXPECT_EQ(text(K, QStringLiteral("多")), QStringLiteral("a\r\nb"));
}

TEST_F(UiEnterKey, SpaceClicksTheFocusedButton)
{
    set_focus(K, QStringLiteral("别"));
    QTest::keyClick(widget("别"), Qt::Key_Space);
    EXPECT_EQ(count("k.other"), 1);
}

class UiTabKey : public UiKeys {
protected:
    void SetUp() override
    {
        UiKeys::SetUp();
        record(QStringLiteral("k.focus"));
        // Description order, not position, decides; 标签 and 非 are no tab
        // stops, 藏 is hidden, 禁 disabled.
        open(R"({"window":"k","size":[200,200],"controls":[
            {"name":"三","type":"EditBox","rect":[0,150,80,20],"tab_stop":true},
            {"name":"标签","type":"TransLabel","rect":[0,0,80,20],"text":"x"},
            {"name":"一","type":"EditBox","rect":[0,0,80,20],"tab_stop":true,"events":{"on_focus":"k.focus"}},
            {"name":"非","type":"EditBox","rect":[0,30,80,20]},
            {"name":"藏","type":"Button","rect":[0,60,80,20],"tab_stop":true,"visible":false},
            {"name":"禁","type":"Button","rect":[0,90,80,20],"tab_stop":true,"disabled":true},
            {"name":"二","type":"CheckBox","rect":[0,120,80,20],"tab_stop":true}]})");
    }
    void tab(bool back = false)
    {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::keyClick(focus, back ? Qt::Key_Backtab : Qt::Key_Tab,
                        back ? Qt::ShiftModifier : Qt::NoModifier);
    }
};

TEST_F(UiTabKey, TabFollowsTheTabStopsInDescriptionOrder)
{
    set_focus(K, QStringLiteral("三"));
    const char* forward[] = {"一", "二", "三", "一"};
    for (const char* expected : forward) {
        tab();
        EXPECT_EQ(focused_control(K), QString::fromUtf8(expected));
    }
    const char* backward[] = {"三", "二", "一"};
    for (const char* expected : backward) {
        tab(true);
        EXPECT_EQ(focused_control(K), QString::fromUtf8(expected));
    }
}

TEST_F(UiTabKey, AControlWithoutTabStopTakesTheFocusOnlyByClick)
{
    QTest::mouseClick(widget("非"), Qt::LeftButton);
    EXPECT_EQ(focused_control(K), QStringLiteral("非"));
    tab();
    EXPECT_EQ(focused_control(K), QStringLiteral("二"));
}

TEST_F(UiTabKey, FocusEventFiresForTabAndClick)
{
    set_focus(K, QStringLiteral("三"));
    settle();
    tab();
    settle();
    EXPECT_EQ(count("k.focus"), 1);
    tab();
    QTest::mouseClick(widget("一"), Qt::LeftButton);
    settle();
    EXPECT_EQ(count("k.focus"), 2);
}

}  // namespace
}  // namespace ui::testing
