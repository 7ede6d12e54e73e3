// Opens the tool's window fresh for every test, with scripted message boxes.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>

#include "cipherkey/cipherkey.h"
#include "platform/ui/message.h"
#include "platform/ui/runtime.h"
#include "platform/ui/testing.h"

namespace cipherkey::testing {

inline const QString kWindow = QStringLiteral("cipherkey");

class CipherkeyWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char arg0[] = "cipherkey_tests";
        static char* argv[] = {arg0, nullptr};
        ui::start_runtime(argc, argv);
    }

    void SetUp() override
    {
        ui::reset_for_tests();
        ui::presenter::set_scripted(true);
        ui::presenter::clear();
        register_cipherkey_handlers();
        QString error;
        ASSERT_TRUE(ui::load_descriptions(QStringLiteral(":/cipherkey"), &error)) << error.toStdString();
        ASSERT_TRUE(ui::load_window(kWindow));
        QWidget* window = ui::window_widget(kWindow);
        ASSERT_NE(window, nullptr);
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }

    void TearDown() override
    {
        ui::presenter::set_scripted(false);
        ui::reset_for_tests();
    }

    // A real mouse click, so focus moves the way it does for the operator.
    // The runtime runs a focus handler from the event loop, after Qt has
    // finished moving the focus; settle() lets it run to its end.
    static void click(const QString& control)
    {
        QWidget* widget = ui::control_widget(kWindow, control);
        ASSERT_NE(widget, nullptr) << control.toStdString();
        QTest::mouseClick(widget, Qt::LeftButton);
        settle();
    }

    static void settle()
    {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
};

}  // namespace cipherkey::testing
