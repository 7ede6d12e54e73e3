#include "platform/ui/tests/lookup_warnings.h"

#include <gtest/gtest.h>

#include <QtGlobal>
#include <algorithm>
#include <vector>

#include "platform/ui/runtime.h"

namespace ui::testing {
namespace {

QtMessageHandler g_previous = nullptr;
std::vector<ExpectLookupWarning*> g_expected;  // innermost last

void fail_on_lookup_warning(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String(kLookupWarningPrefix))) {
        const bool expected = std::any_of(g_expected.rbegin(), g_expected.rend(),
                                          [&](ExpectLookupWarning* e) { return e->take(message); });
        if (!expected) ADD_FAILURE() << message.toStdString();
    }
    // Still written where warnings go, so the log shows what the test did.
    if (g_previous) g_previous(type, context, message);
}

// Installed for the whole run, before the first test; the previous handler
// is back before the program ends, so nothing reports to a test framework
// that has finished.
class FailOnLookupWarnings final : public ::testing::Environment {
public:
    void SetUp() override { g_previous = qInstallMessageHandler(fail_on_lookup_warning); }
    void TearDown() override { qInstallMessageHandler(g_previous); }
};

// Registers itself as the binary starts: the library is linked whole, so no
// test has to remember to ask for it.
[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new FailOnLookupWarnings);

}  // namespace

ExpectLookupWarning::ExpectLookupWarning(const QString& name) : name_(name) { g_expected.push_back(this); }

ExpectLookupWarning::~ExpectLookupWarning()
{
    g_expected.erase(std::remove(g_expected.begin(), g_expected.end(), this), g_expected.end());
    EXPECT_GT(seen_, 0) << "no lookup warning named \"" << name_.toStdString() << "\"";
}

bool ExpectLookupWarning::take(const QString& warning)
{
    if (!warning.contains(QLatin1Char('"') + name_ + QLatin1Char('"'))) return false;
    ++seen_;
    return true;
}

}  // namespace ui::testing
