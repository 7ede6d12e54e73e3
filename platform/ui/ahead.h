// Work done ahead at start-up, on a thread of its own while the caller goes
// on, in the manner of std::future: take() waits for the work and gives its
// result, and the destructor waits for it too. Reading ahead only saves time,
// so it never fails: when no thread can be made, or the work throws (off the
// user-interface thread a failed allocation throws), take() gives T(),
// "nothing read ahead", and the caller does the work itself as it would
// without.
//
// std::async does the rest: its future carries the result or the exception
// back, waits for the thread when it goes, and std::async throws
// std::system_error when no thread can be made.
#pragma once

#include <QThread>
#include <future>
#include <system_error>
#include <utility>

namespace ui {

template <typename T>
class Ahead {
public:
    template <typename Work>
    explicit Ahead(Work work)
    {
        // Qt takes the first thread that asks for its thread data as its main
        // thread. This one asks now, before the work may touch Qt, so the
        // work's thread is taken for the helper it is.
        QThread::currentThread();
        try {
            future_ = std::async(std::launch::async, std::move(work));
        } catch (const std::system_error&) {
            // No thread: nothing is read ahead.
        }
    }

    // Waits for the work; its result, or T() when it did not run or threw.
    // Only the first take() gives the result.
    T take()
    {
        if (!future_.valid()) return T();
        try {
            return future_.get();
        } catch (...) {
            return T();
        }
    }

private:
    std::future<T> future_;
};

}  // namespace ui
