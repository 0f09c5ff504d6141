#include "common/error.h"
#include "common/errornumbers.h"
#include "settings/settingsrules.h"

#include <gtest/gtest.h>

namespace {

using namespace SettingsRules;

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale kGerman(QLocale::German, QLocale::Germany);

struct Correction { const char *typed; const char *stored; };

TEST(SettingsRules, SendDelayIsRoundedHalfEvenKeptWithinRangeInTheLocalesNotation)
{
    const Correction cases[] = {
        {"0", "0.1"},   {"-5", "0.1"},   {"abc", "0.1"}, {"", "0.1"},     {"0.05", "0.1"}, {"0.15", "0.2"},
        {"0.26", "0.3"}, {"0.25", "0.2"}, {"0.35", "0.4"}, {"45", "30"},   {"30.04", "30"}, {"30.06", "30"},
        {" 2 ", "2"},   {"2.0", "2"},    {"1e1", "10"},  {"1e308", "30"}, {"1 2", "0.1"},  {"29.95", "30"},
    };
    for (const Correction &c : cases)
        EXPECT_EQ(correctedSendDelay(QLatin1String(c.typed), kEnglish).toStdString(), c.stored) << c.typed;
    // The decimal separator is the locale's.
    EXPECT_EQ(correctedSendDelay(QStringLiteral("0,26"), kGerman), QStringLiteral("0,3"));
    EXPECT_EQ(correctedSendDelay(QStringLiteral("0"), kGerman), QStringLiteral("0,1"));
}

TEST(SettingsRules, SendRetryIsAWholeNumberFromZeroToThree)
{
    const Correction cases[] = {
        {"abc", "0"}, {"-1", "0"}, {"-0.4", "0"}, {"-0.6", "0"}, {"7", "3"},   {"3.4", "3"},      {"2.6", "3"},
        {"2.5", "2"}, {"1.5", "2"}, {" 1 ", "1"}, {"0", "0"},    {"99999", "3"}, {"1e300", "3"}, {"", "0"},
    };
    for (const Correction &c : cases)
        EXPECT_EQ(correctedSendRetry(QLatin1String(c.typed), kEnglish).toStdString(), c.stored) << c.typed;
}

TEST(SettingsRules, LogLevelOutsideZeroToTwoLoadsAsZero)
{
    struct Level { const char *stored; const char *loaded; int shown; };
    const Level cases[] = {
        {"0", "0", 0},     {"1", "1", 1},     {"2", "2", 2},       {"1.6", "1.6", 2}, {"2.5", "2.5", 2},
        {"2.6", "0", 0},   {"-0.5", "-0.5", 0}, {"-0.6", "0", 0},  {"5", "0", 0},     {"x", "0", 0},
        {"", "0", 0},      {"32767", "0", 0}, {" 1 ", " 1 ", 1},
    };
    for (const Level &c : cases) {
        const QString loaded = normalisedLogLevel(QLatin1String(c.stored), kEnglish);
        EXPECT_EQ(loaded.toStdString(), c.loaded) << c.stored;
        EXPECT_EQ(logLevelIndex(loaded, kEnglish), c.shown) << c.stored;
    }
}

TEST(SettingsRules, LogLevelBeyondSixteenBitsIsAnOverflow)
{
    for (const char *stored : {"32768", "-32769", "1e10", "32767.5"}) {
        try {
            normalisedLogLevel(QLatin1String(stored), kEnglish);
            ADD_FAILURE() << stored << " loaded without an error";
        } catch (const QuilloError &error) {
            EXPECT_EQ(error.number(), ErrorNumber::kOverflow);
            EXPECT_EQ(error.description(), QStringLiteral("Overflow"));
        }
    }
    EXPECT_EQ(normalisedLogLevel(QStringLiteral("-32768.5"), kEnglish), QStringLiteral("0"));
}

} // namespace
