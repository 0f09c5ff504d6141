#include "common/errortrap.h"
#include "fakes.h"

#include <gtest/gtest.h>

namespace {

// The box names the error and the handler unless a more telling text is pending; either
// way the pending text is spent. A body that succeeds shows nothing.
TEST(ErrorTrap, ShowsTheErrorOrThePendingTextOnceAndOnlyOnFailure)
{
    const struct
    {
        const char *pending;
        bool fails;
        const char *shown; // nullptr: no box
    } cases[] = {
        {"", true, "Error 76\r\nPath not found\r\n[Source: Quillo - cmdSave_Click]"},
        {"Settings could not be stored", true, "Settings could not be stored"},
        {"", false, nullptr},
    };
    for (const auto &c : cases) {
        TestContext tc;
        tc.state.PendingErrorText = QLatin1String(c.pending);
        if (c.shown)
            tc.dialogs.expectMessage(QLatin1String(c.shown), Dialogs::Icon::Critical);
        int calls = 0;
        const bool ok = errorTrap(tc.context, QStringLiteral("cmdSave_Click"), [&] {
            ++calls;
            if (c.fails)
                throw QuilloError(76, QStringLiteral("Path not found"));
        });
        EXPECT_EQ(ok, !c.fails) << c.pending;
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(tc.dialogs.shown().size(), c.shown ? 1 : 0) << c.pending;
        EXPECT_TRUE(tc.state.PendingErrorText.isEmpty() || !c.fails) << c.pending;
    }
}

} // namespace
