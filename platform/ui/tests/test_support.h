// Shared set-up of the runtime tests: one application for the whole binary,
// a clean runtime for every test, message boxes answered by script, and a
// failed test for a name that no description has (lookup_warnings.h).
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <QTest>
#include <vector>

#include "platform/ui/message.h"
#include "platform/ui/runtime.h"
#include "platform/ui/testing.h"
#include "platform/ui/tests/lookup_warnings.h"

namespace ui::testing {

struct FatalExit {
    int code;
};

class UiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "ui_tests";
        static char* argv[] = {name, nullptr};
        start_runtime(argc, argv);
        reset_for_tests();
        presenter::set_scripted(true);
        set_exit_hook([this](int code) { exit_codes.push_back(code); });
        set_fatal_hook([](int code) { throw FatalExit{code}; });
    }

    void TearDown() override { reset_for_tests(); }

    // Adds a description; the test fails when it is refused.
    static void describe(const char* json)
    {
        QString error;
        ASSERT_TRUE(add_description(QByteArray(json), QStringLiteral("test.json"), &error))
            << error.toStdString();
    }

    // Lets posted close requests and queued handlers run.
    static void settle()
    {
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents);
    }

    // Types text the way a keyboard (or an input method) delivers it; also
    // for characters QTest::keyClicks has no key for.
    static void type_into(QWidget* widget, const QString& text)
    {
        for (QChar ch : text) {
            const auto key = static_cast<Qt::Key>(ch.toUpper().unicode());
            QTest::sendKeyEvent(QTest::Press, widget, key, QString(ch), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, widget, key, QString(ch), Qt::NoModifier);
        }
    }

    // Records every call of a handler under its name.
    void record(const QString& name)
    {
        register_handler(name, [this, name] { calls.push_back(name); });
    }
    int count(const QString& name) const
    {
        int n = 0;
        for (const QString& c : calls) n += c == name;
        return n;
    }

    std::vector<QString> calls;
    std::vector<int> exit_codes;
};

}  // namespace ui::testing
