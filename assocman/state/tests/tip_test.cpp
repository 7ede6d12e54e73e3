// The program's message procedure, as the windows use it.
#include "assocman/state/tip.h"

#include <gtest/gtest.h>

#include "assocman/testing/window_test.h"
#include "platform/ui/message.h"
#include "platform/ui/testing.h"

namespace {

class Tip : public assocman_testing::WindowTest {};

TEST_F(Tip, InformationAndErrorUseTheProgramTitleAndTheirIcons)
{
    app::show_error(QStringLiteral("该用户已被锁定！无法完成登陆操作！"));
    app::show_info(QString());
    const auto shown = ui::presenter::shown();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0].title, QStringLiteral("温馨提示-Tarnwick"));
    EXPECT_EQ(shown[0].buttons, ui::Buttons::ok);
    EXPECT_EQ(shown[0].icon, ui::Icon::stop);
    EXPECT_EQ(shown[0].text, QStringLiteral("该用户已被锁定！无法完成登陆操作！"));
    EXPECT_EQ(shown[1].buttons, ui::Buttons::ok);
    EXPECT_EQ(shown[1].icon, ui::Icon::information);
    EXPECT_EQ(shown[1].text, QString());
}

}  // namespace
