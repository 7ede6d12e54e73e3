// Drives the real window through the runtime: type, click, tab, close, and
// check what the operator sees and what lands on the clipboard.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <ostream>
#include <string>

#include "cipherkey/cipherkey.h"
#include "cipherkey/tests/window_fixture.h"
#include "platform/ui/message.h"
#include "platform/ui/runtime.h"
#include "platform/ui/testing.h"

namespace {

using cipherkey::testing::CipherkeyWindow;
using cipherkey::testing::kWindow;

const QString kPassword = QStringLiteral("编辑框原密码");
const QString kCiphertext = QStringLiteral("编辑框数据库密文");
const QString kGenerate = QStringLiteral("按钮生成密文");
const QString kHint = QStringLiteral("透明标签提示");

TEST_F(CipherkeyWindow, OpensAsDescribed)
{
    EXPECT_EQ(ui::caption(kWindow), QStringLiteral("MorvainTarnwick-数据库密文生成"));
    EXPECT_EQ(ui::current_xp_style(), 2);
    EXPECT_FALSE(ui::is_visible(kWindow, kHint));
    EXPECT_TRUE(ui::text(kWindow, kCiphertext).isEmpty());
    // The password must never be readable over the operator's shoulder.
    auto* password = qobject_cast<QLineEdit*>(ui::control_widget(kWindow, kPassword));
    ASSERT_NE(password, nullptr);
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
}

TEST_F(CipherkeyWindow, EmptyPasswordIsAskedForAndNothingElseChanges)
{
    ui::set_text(kWindow, kCiphertext, QStringLiteral("jRGN"));
    click(kGenerate);

    const auto shown = ui::presenter::shown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].title, QStringLiteral("MorvainTarnwick"));
    EXPECT_EQ(shown[0].text, QStringLiteral("请输入数据库原密码！"));
    EXPECT_EQ(shown[0].buttons, ui::Buttons::ok);
    EXPECT_EQ(shown[0].icon, ui::Icon::information);
    EXPECT_EQ(ui::focused_control(kWindow), kPassword);
    EXPECT_EQ(ui::text(kWindow, kCiphertext), QStringLiteral("jRGN"));
}

// Expected texts from `openssl enc -des-cfb8` (legacy provider) with the key
// SHA-1("wkz")[0..8) and the register DES_K(0), over the GBK bytes, base64.
struct KnownCiphertext {
    const char* name;
    const char* password;  // UTF-8
    const char* ciphertext;
};

void PrintTo(const KnownCiphertext& k, std::ostream* os) { *os << k.name; }

class CipherkeyGenerate : public CipherkeyWindow, public ::testing::WithParamInterface<KnownCiphertext> {};

TEST_P(CipherkeyGenerate, ShowsTheCiphertextAndLeavesTheFocus)
{
    ui::set_text(kWindow, kCiphertext, QStringLiteral("an earlier text"));
    ui::set_text(kWindow, kPassword, QString::fromUtf8(GetParam().password));
    click(kGenerate);

    EXPECT_EQ(ui::text(kWindow, kCiphertext), QString::fromLatin1(GetParam().ciphertext));
    EXPECT_TRUE(ui::presenter::shown().isEmpty());
    // Moving the focus into the ciphertext box would copy behind the
    // operator's back; the click leaves it on the button.
    EXPECT_EQ(ui::focused_control(kWindow), kGenerate);
    EXPECT_FALSE(ui::is_visible(kWindow, kHint));
}

INSTANTIATE_TEST_SUITE_P(Vectors, CipherkeyGenerate,
                         ::testing::Values(KnownCiphertext{"one_byte", "a", "jQ=="},
                                           KnownCiphertext{"two_bytes", "ab", "jRE="},
                                           KnownCiphertext{"three_bytes", "abc", "jRGN"},
                                           KnownCiphertext{"four_bytes", "abcd", "jRGNog=="},
                                           // spaces are content, not an empty box
                                           KnownCiphertext{"spaces", "   ", "zFrd"},
                                           // GBK bytes, not UTF-8 ones
                                           KnownCiphertext{"chinese", "数据库密码", "JpHxhUb7rPdfNg=="}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CipherkeyWindow, LengthFollowsTheGbkByteCount)
{
    struct Row {
        QString password;
        qsizetype gbk_bytes;
    };
    const Row rows[] = {
        {"x", 1},        {"xx", 2},      {"xxx", 3},
        {"xxxx", 4},     {"xxxxxxx", 7}, {"中", 2},
        {"中文密码", 8}, {"a中b", 4},    {QString(100, u'k'), 100},
    };
    for (const Row& row : rows) {
        ui::set_text(kWindow, kPassword, row.password);
        click(kGenerate);
        EXPECT_EQ(ui::text(kWindow, kCiphertext).size(), 4 * ((row.gbk_bytes + 2) / 3))
            << row.password.toStdString();
    }
}

TEST_F(CipherkeyWindow, EveryPressEnciphersTheCurrentPasswordAfresh)
{
    ui::set_text(kWindow, kPassword, QStringLiteral("secret"));
    click(kGenerate);
    const QString first = ui::text(kWindow, kCiphertext);
    ASSERT_FALSE(first.isEmpty());

    ui::set_text(kWindow, kCiphertext, QStringLiteral("edited by hand"));
    click(kGenerate);
    EXPECT_EQ(ui::text(kWindow, kCiphertext), first);

    ui::set_text(kWindow, kPassword, QStringLiteral("secret2"));
    click(kGenerate);
    const QString second = ui::text(kWindow, kCiphertext);
    EXPECT_NE(second, first);
    // A common prefix gives a common ciphertext prefix ("secret" fills two
    // whole base64 groups).
    EXPECT_EQ(second.left(8), first.left(8));

    ui::set_text(kWindow, kPassword, QStringLiteral("secret"));
    click(kGenerate);
    EXPECT_EQ(ui::text(kWindow, kCiphertext), first);
}

enum class FocusBy { Click, Tab };

struct CopyCase {
    const char* name;
    const char* password;  // "" leaves the box as set_text put it
    const char* box_text;  // what the ciphertext box shows before the copy
    FocusBy focus_by;
};

void PrintTo(const CopyCase& c, std::ostream* os) { *os << c.name; }

class CipherkeyCopy : public CipherkeyWindow, public ::testing::WithParamInterface<CopyCase> {};

TEST_P(CipherkeyCopy, FilledBoxCopiesShowsTheHintThenGoesBackToThePassword)
{
    const CopyCase& c = GetParam();
    if (*c.password) {
        ui::set_text(kWindow, kPassword, QString::fromUtf8(c.password));
        click(kGenerate);
    } else {
        ui::set_text(kWindow, kCiphertext, QString::fromUtf8(c.box_text));
    }
    const QString expected = ui::text(kWindow, kCiphertext);
    ASSERT_FALSE(expected.isEmpty());
    QGuiApplication::clipboard()->setText(QStringLiteral("left by someone else"));

    bool sampled = false;
    bool hint_during_wait = false;
    QString clipboard_during_wait;
    QTimer::singleShot(300, [&] {
        sampled = true;
        hint_during_wait = ui::is_visible(kWindow, kHint);
        clipboard_during_wait = QGuiApplication::clipboard()->text();
    });

    QElapsedTimer elapsed;
    elapsed.start();
    if (c.focus_by == FocusBy::Click) {
        click(kCiphertext);
    } else {
        ui::set_focus(kWindow, kGenerate);
        QTest::keyClick(ui::control_widget(kWindow, kGenerate), Qt::Key_Tab);
        settle();
    }

    ASSERT_TRUE(sampled) << "the copy returned before the hint's second was over";
    EXPECT_TRUE(hint_during_wait);
    EXPECT_EQ(clipboard_during_wait, expected);
    EXPECT_GE(elapsed.elapsed(), 900);
    EXPECT_EQ(ui::focused_control(kWindow), kPassword);
    EXPECT_FALSE(ui::is_visible(kWindow, kHint));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), expected);
}

INSTANTIATE_TEST_SUITE_P(Ways, CipherkeyCopy,
                         ::testing::Values(CopyCase{"generated_click", "abc", "", FocusBy::Click},
                                           CopyCase{"generated_tab", "数据库密码", "", FocusBy::Tab},
                                           CopyCase{"edited_by_hand", "", "typed by hand", FocusBy::Click}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CipherkeyWindow, ClickIntoEmptyCiphertextBoxDoesNothing)
{
    QGuiApplication::clipboard()->setText(QStringLiteral("left by someone else"));

    // The click does not wait out the hint's second either: a timer only an
    // event loop can fire is still pending once the focus handler has run.
    bool waited = false;
    QTimer due;
    due.setSingleShot(true);
    QObject::connect(&due, &QTimer::timeout, [&] { waited = true; });
    due.start(1);
    QTest::mouseClick(ui::control_widget(kWindow, kCiphertext), Qt::LeftButton);
    QCoreApplication::sendPostedEvents();  // the focus handler, outside any event loop
    EXPECT_FALSE(waited) << "the click into the empty box waited";
    settle();

    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("left by someone else"));
    EXPECT_FALSE(ui::is_visible(kWindow, kHint));
    EXPECT_EQ(ui::focused_control(kWindow), kCiphertext);
}

TEST_F(CipherkeyWindow, GenerateDuringTheWaitReplacesTheText)
{
    ui::set_text(kWindow, kPassword, QStringLiteral("abc"));
    click(kGenerate);

    QString during;
    QTimer::singleShot(300, [&] {
        ui::set_text(kWindow, kPassword, QStringLiteral("abcd"));
        click(kGenerate);
        during = ui::text(kWindow, kCiphertext);
    });
    click(kCiphertext);

    EXPECT_EQ(during, QStringLiteral("jRGNog=="));
    EXPECT_EQ(ui::text(kWindow, kCiphertext), QStringLiteral("jRGNog=="));
    // What was copied is what the box showed when it got the focus.
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("jRGN"));
    EXPECT_EQ(ui::focused_control(kWindow), kPassword);
    EXPECT_FALSE(ui::is_visible(kWindow, kHint));
}

enum class CloseBy { Request, Escape };

void PrintTo(CloseBy by, std::ostream* os) { *os << (by == CloseBy::Request ? "request" : "escape"); }

class CipherkeyClose : public CipherkeyWindow, public ::testing::WithParamInterface<CloseBy> {};

TEST_P(CipherkeyClose, DuringTheWaitTheLoopEndsAndNothingTouchesTheGoneWindow)
{
    ui::set_text(kWindow, kPassword, QStringLiteral("abc"));
    click(kGenerate);

    // The copy runs inside the program's own loop, as it does for the operator.
    QTimer::singleShot(0,
                       [] { QTest::mouseClick(ui::control_widget(kWindow, kCiphertext), Qt::LeftButton); });
    QTimer::singleShot(300, [] {
        if (GetParam() == CloseBy::Request) {
            ui::destroy_window_or_unit(kWindow);
        } else {
            QWidget* focused = QApplication::focusWidget();
            QTest::keyClick(focused ? focused : ui::window_widget(kWindow), Qt::Key_Escape);
        }
    });
    // A loop that never ended would hold the test here until its time limit
    // fails it.
    const int code = ui::run_message_loop();

    EXPECT_EQ(code, 0);
    EXPECT_EQ(ui::open_window_count(), 0);
    EXPECT_FALSE(ui::is_window_open(kWindow));
    EXPECT_EQ(ui::window_widget(kWindow), nullptr);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("jRGN"));
}

INSTANTIATE_TEST_SUITE_P(Ways, CipherkeyClose, ::testing::Values(CloseBy::Request, CloseBy::Escape),
                         [](const auto& info) {
                             return std::string(info.param == CloseBy::Request ? "request" : "escape");
                         });

}  // namespace
