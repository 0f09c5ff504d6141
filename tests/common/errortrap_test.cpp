#include "common/errortrap.h"
#include "fakes.h"

#include <gtest/gtest.h>

namespace {

TEST(ErrorTrap, ShowsNumberDescriptionAndHandlerThenClearsThePendingText)
{
    TestContext tc;
    tc.dialogs.expectMessage(QStringLiteral("Error 76\r\nPath not found\r\n[Source: Quillo - cmdSave_Click]"),
                             Dialogs::Icon::Critical);
    const bool ok = errorTrap(tc.context, QStringLiteral("cmdSave_Click"),
                              [] { throw QuilloError(76, QStringLiteral("Path not found")); });
    EXPECT_FALSE(ok);
    EXPECT_TRUE(tc.state.PendingErrorText.isEmpty());
}

TEST(ErrorTrap, APendingTextIsShownInsteadOfTheGenericOne)
{
    TestContext tc;
    tc.state.PendingErrorText = QStringLiteral("Settings could not be stored");
    tc.dialogs.expectMessage(QStringLiteral("Settings could not be stored"), Dialogs::Icon::Critical);
    errorTrap(tc.context, QStringLiteral("cmdOK_Click"), [] { throw QuilloError(70, QStringLiteral("Permission denied")); });
    EXPECT_TRUE(tc.state.PendingErrorText.isEmpty());
}

TEST(ErrorTrap, ABodyThatSucceedsShowsNothing)
{
    TestContext tc;
    int calls = 0;
    EXPECT_TRUE(errorTrap(tc.context, QStringLiteral("x"), [&] { ++calls; }));
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(tc.dialogs.shown().isEmpty());
}

} // namespace
