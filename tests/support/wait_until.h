// Waiting in the GUI tests. A test waits for what it expects to see, with the
// event loop running, rather than sleeping a guessed time and then looking: a
// guess too short fails on a busy machine, one too long only slows the suite.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTest>
#include <chrono>

namespace test_support {

// Long enough for any machine; a condition that holds at all holds long
// before. The deadline only ends a test whose condition never comes.
inline constexpr std::chrono::milliseconds kWaitTimeout{10000};

// Processes events until `condition` holds or `timeout` has passed, and
// returns whether it holds. A condition that holds already returns at once,
// without running the event loop.
template <typename Condition>
[[nodiscard]] bool wait_until(Condition condition, std::chrono::milliseconds timeout = kWaitTimeout)
{
    return QTest::qWaitFor(condition, static_cast<int>(timeout.count()));
}

// Runs what is queued now (posted events such as close requests and queued
// handlers, deferred deletes, timers that are due) and waits for nothing
// else. It comes before a check that something did NOT happen, where there
// is no condition to wait for.
inline void process_queued_events()
{
    for (int pass = 0; pass < 5; ++pass) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

}  // namespace test_support
