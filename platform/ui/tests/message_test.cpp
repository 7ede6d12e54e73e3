#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QMessageBox>
#include <QTimer>
#include <functional>

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
        int style;
        std::function<void(QMessageBox*)> act;
        int result;
    } cases[] = {
        {"close box with Cancel", MB_OKCANCEL | MB_ICONQUESTION, [](QMessageBox* b) { b->close(); },
         ID_CANCEL},
        {"Esc with Cancel", MB_OKCANCEL, [](QMessageBox* b) { QTest::keyClick(b, Qt::Key_Escape); },
         ID_CANCEL},
        {"OK clicked", MB_OKCANCEL, [](QMessageBox* b) { b->button(QMessageBox::Ok)->click(); }, ID_OK},
        {"close box of an OK box", MB_OK | MB_ICONINFORMATION, [](QMessageBox* b) { b->close(); }, ID_OK},
        {"No clicked", MB_YESNO, [](QMessageBox* b) { b->button(QMessageBox::No)->click(); }, ID_NO},
        {"Retry clicked", MB_RETRYCANCEL, [](QMessageBox* b) { b->button(QMessageBox::Retry)->click(); },
         ID_RETRY},
        {"Ignore clicked", MB_ABORTRETRYIGNORE,
         [](QMessageBox* b) { b->button(QMessageBox::Ignore)->click(); }, ID_IGNORE},
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
        EXPECT_EQ(message_box(QStringLiteral("正文"), c.style), c.result);
        EXPECT_EQ(title, QStringLiteral("信息："));
        EXPECT_TRUE(modal);
        if (c.style & MB_ICONQUESTION) {
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
    message_box(QStringLiteral("等待"), MB_OK, QStringLiteral("标题"));
    EXPECT_GT(ticks, 3);
}

TEST_F(UiMessages, ScriptedBoxesTakeQueuedAnswersThenTheFirstButton)
{
    presenter::set_next_answer(ID_CANCEL);
    EXPECT_EQ(message_box(QStringLiteral("q"), MB_OKCANCEL | MB_ICONQUESTION, QStringLiteral("提问")),
              ID_CANCEL);
    const struct {
        int style;
        int result;
    } defaults[] = {{MB_OK, ID_OK},           {MB_OKCANCEL, ID_OK}, {MB_ABORTRETRYIGNORE, ID_ABORT},
                    {MB_YESNOCANCEL, ID_YES}, {MB_YESNO, ID_YES},   {MB_RETRYCANCEL, ID_RETRY}};
    for (const auto& d : defaults) EXPECT_EQ(message_box(QStringLiteral("d"), d.style), d.result) << d.style;
    const auto shown = presenter::shown();
    ASSERT_EQ(shown.size(), 7);
    EXPECT_EQ(shown[0].title, QStringLiteral("提问"));
    EXPECT_EQ(shown[0].result, ID_CANCEL);
    EXPECT_EQ(shown[1].title, QStringLiteral("信息："));
}

TEST_F(UiMessages, TheWhileOpenHookSeesTheBox)
{
    QString seen;
    presenter::set_while_open([&](const ShownMessage& m) { seen = m.text; });
    message_box(QStringLiteral("恭喜您，成员添加成功！"), MB_OK | MB_ICONINFORMATION);
    EXPECT_EQ(seen, QStringLiteral("恭喜您，成员添加成功！"));
}

}  // namespace
}  // namespace ui::testing
