// Every test binary of windows links this (target ui_lookup_warnings): from
// the first test on, a lookup warning of the form runtime (a window, control,
// menu item or unit name that no description has) fails the test that caused
// it, with the warning as the message. A misspelt name in a handler or a test
// thus cannot pass as an empty control.
#pragma once

#include <QString>

namespace ui::testing {

// A test that looks up a missing name on purpose says so: while this lives,
// lookup warnings that contain `name` are expected instead of failing the
// test, and at its end the test fails unless at least one of them came.
class ExpectLookupWarning {
public:
    explicit ExpectLookupWarning(const QString& name);
    ~ExpectLookupWarning();
    ExpectLookupWarning(const ExpectLookupWarning&) = delete;
    ExpectLookupWarning& operator=(const ExpectLookupWarning&) = delete;

    // Takes a warning that names what is expected; false for any other.
    bool take(const QString& warning);

private:
    QString name_;
    int seen_ = 0;
};

}  // namespace ui::testing
