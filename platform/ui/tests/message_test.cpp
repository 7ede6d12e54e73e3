#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QMessageBox>
#include <QTimer>
#include <functional>

#include "platform/ui/testing.h"
#include "platform/ui/tests/test_support.h"
#include "tests/support/wait_until.h"

namespace ui::testing {
namespace {

class UiMessages : public UiTest {};

// Acts on the real box once it is up.
void when_box_opens(std::function<void(QMessageBox*)> act)
{
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [act, poll] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            act(box);
            return;
        }
        QTimer::singleShot(5, *poll);
    };
    QTimer::singleShot(0, *poll);
}

TEST_F(UiMessages, ARealBoxReturnsTheIndexOfItsButton)
{
    presenter::set_scripted(false);
    const struct {
        const char* what;
        Buttons buttons;
        Icon icon;
        std::function<void(QMessageBox*)> act;
        Answer answer;
    } cases[] = {
        {"close box with Cancel", Buttons::ok_cancel, Icon::question, [](QMessageBox* b) { b->close(); },
         Answer::cancel},
        {"Esc with Cancel", Buttons::ok_cancel, Icon::none,
         [](QMessageBox* b) { QTest::keyClick(b, Qt::Key_Escape); }, Answer::cancel},
        {"OK clicked", Buttons::ok_cancel, Icon::none,
         [](QMessageBox* b) { b->button(QMessageBox::Ok)->click(); }, Answer::ok},
        {"close box of an OK box", Buttons::ok, Icon::information, [](QMessageBox* b) { b->close(); },
         Answer::ok},
        {"No clicked", Buttons::yes_no, Icon::none,
         [](QMessageBox* b) { b->button(QMessageBox::No)->click(); }, Answer::no},
        {"Retry clicked", Buttons::retry_cancel, Icon::none,
         [](QMessageBox* b) { b->button(QMessageBox::Retry)->click(); }, Answer::retry},
        {"Ignore clicked", Buttons::abort_retry_ignore, Icon::none,
         [](QMessageBox* b) { b->button(QMessageBox::Ignore)->click(); }, Answer::ignore},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QString title;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        bool modal = false;
        when_box_opens([&, act = c.act](QMessageBox* box) {
            title = box->windowTitle();
            icon = box->icon();
            modal = box->windowModality() == Qt::ApplicationModal && !box->parentWidget();
            act(box);
        });
        EXPECT_EQ(message_box(QStringLiteral("正文"), c.buttons, c.icon), c.answer);
        EXPECT_EQ(title, QStringLiteral("信息："));
        EXPECT_TRUE(modal);
        if (c.icon == Icon::question) {
            EXPECT_EQ(icon, QMessageBox::Question);
        }
    }
}

TEST_F(UiMessages, TimersAndPostedClosesGoOnWhileARealBoxIsOpen)
{
    presenter::set_scripted(false);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(5);
    // The box closes once the timer has ticked while it is open; should the
    // ticks never come, the deadline closes it and the check below fails.
    const QDeadlineTimer deadline(test_support::kWaitTimeout);
    when_box_opens([&](QMessageBox* box) {
        auto* poll = new QTimer(box);
        QObject::connect(poll, &QTimer::timeout, box, [&, box] {
            if (ticks > 3 || deadline.hasExpired()) box->button(QMessageBox::Ok)->click();
        });
        poll->start(5);
    });
    message_box(QStringLiteral("等待"), Buttons::ok, Icon::none, QStringLiteral("标题"));
    EXPECT_GT(ticks, 3);
}

TEST_F(UiMessages, ScriptedBoxesTakeQueuedAnswersThenTheFirstButton)
{
    presenter::set_next_answer(Answer::cancel);
    EXPECT_EQ(message_box(QStringLiteral("q"), Buttons::ok_cancel, Icon::question, QStringLiteral("提问")),
              Answer::cancel);
    const struct {
        Buttons buttons;
        Answer answer;
    } defaults[] = {{Buttons::ok, Answer::ok},
                    {Buttons::ok_cancel, Answer::ok},
                    {Buttons::abort_retry_ignore, Answer::abort},
                    {Buttons::yes_no_cancel, Answer::yes},
                    {Buttons::yes_no, Answer::yes},
                    {Buttons::retry_cancel, Answer::retry}};
    for (const auto& d : defaults) {
        EXPECT_EQ(message_box(QStringLiteral("d"), d.buttons, Icon::none), d.answer)
            << static_cast<int>(d.buttons);
    }
    const auto shown = presenter::shown();
    ASSERT_EQ(shown.size(), 7);
    EXPECT_EQ(shown[0].title, QStringLiteral("提问"));
    EXPECT_EQ(shown[0].answer, Answer::cancel);
    EXPECT_EQ(shown[1].title, QStringLiteral("信息："));
}

TEST_F(UiMessages, TheWhileOpenHookSeesTheBox)
{
    QString seen;
    presenter::set_while_open([&](const ShownMessage& m) { seen = m.text; });
    message_box(QStringLiteral("打印完成！"), Buttons::ok, Icon::information);
    EXPECT_EQ(seen, QStringLiteral("打印完成！"));
}

}  // namespace
}  // namespace ui::testing
