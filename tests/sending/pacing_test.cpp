// Pacing: the values read, the random pause, the caps over a SIM's counts kept across a
// restart, the paused run's line and the estimate the caps give the start question.
#include "sending/pacing.h"
#include "sending/runsummary.h"

#include "common/error.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

constexpr qint64 kMinute = 60 * 1000;
constexpr qint64 kHour = 60 * kMinute;
const qint64 kStart = QDateTime(QDate(2026, 12, 7), QTime(9, 0)).toMSecsSinceEpoch();

TEST(Pacing, ValuesReadOrAreRefusedNamingTheField)
{
    const struct
    {
        ModemPacing texts;
        int minMs, maxMs, perHour;
        const char *refusal; // part of it
    } cases[] = {
        {{"2", "9.5", "5"}, 2000, 9500, 5, ""},
        {{"", "3"}, 3000, 3000, 0, ""}, // one bound alone is a fixed pause
        {{"soon", "3"}, 0, 0, 0, "Min pause (s): 'soon' is not a number of seconds"},
        {{"-1"}, 0, 0, 0, "Min pause (s): '-1'"},
        {{"9", "2"}, 0, 0, 0, "Min pause (s) 9 is more than Max pause (s) 2"},
        {{"", "", "-3"}, 0, 0, 0, "Parts per hour: '-3' is not a whole number from 1"},
        {{"", "", "", "0"}, 0, 0, 0, "Parts per day: '0'"},
        {{"", "", "", "", "2.5"}, 0, 0, 0, "Recipients per day: '2.5'"},
    };
    for (const auto &c : cases) {
        PacingLimits limits;
        const QString refusal = readPacing(c.texts, limits);
        EXPECT_TRUE(refusal.contains(QString::fromUtf8(c.refusal))) << refusal.toStdString();
        EXPECT_EQ(refusal.isEmpty(), *c.refusal == 0) << c.refusal;
        EXPECT_EQ(limits.minPauseMs, c.minMs) << c.refusal;
        EXPECT_EQ(limits.maxPauseMs, c.maxMs) << c.refusal;
        EXPECT_EQ(limits.partsPerHour, c.perHour) << c.refusal;
    }
    ComDetails first;
    first.Port = QStringLiteral("COM1");
    ModemPort second{QStringLiteral("/dev/ttyUSB1")};
    second.Pacing.PartsPerDay = QStringLiteral("many");
    EXPECT_EQ(pacingProblem(first, {second}).toStdString(),
              "The pacing of the modem on /dev/ttyUSB1: Parts per day: 'many' is not a whole number from 1 to "
              "1000000 (leave it empty for no cap).");
}

TEST(Pacing, RandomPausesStayWithinTheirBoundsAndRepeatWithTheSeed)
{
    const struct
    {
        int minMs, maxMs;
    } cases[] = {{0, 0}, {2000, 2000}, {500, 1500}, {0, 30000}};
    for (const auto &c : cases) {
        PacingLimits limits;
        limits.minPauseMs = c.minMs;
        limits.maxPauseMs = c.maxMs;
        ModemPacer pacer(limits, nullptr, 7), again(limits, nullptr, 7);
        int low = c.maxMs, high = c.minMs;
        for (int i = 0; i < 500; ++i) {
            const int pause = pacer.nextPauseMs();
            EXPECT_EQ(pause, again.nextPauseMs()) << c.minMs << "-" << c.maxMs;
            low = std::min(low, pause);
            high = std::max(high, pause);
        }
        EXPECT_GE(low, c.minMs);
        EXPECT_LE(high, c.maxMs);
        // The draws cover the range.
        EXPECT_LE(low, c.minMs + (c.maxMs - c.minMs) / 10);
        EXPECT_GE(high, c.maxMs - (c.maxMs - c.minMs) / 10);
    }
}

struct Send
{
    qint64 atMs;
    int parts;
    const char *number;
};

TEST(Pacing, CapsHoldAcrossARestartUntilTheirWindowHasPassed)
{
    const struct
    {
        const char *name;
        ModemPacing texts;
        QList<Send> sent;
        qint64 atMs;
        int parts;
        const char *number;
        const char *cap; // empty: it fits
        qint64 resumeMs;
    } cases[] = {
        {"under the hourly cap", {"", "", "5"}, {{0, 2, "1"}, {kMinute, 2, "2"}}, 2 * kMinute, 1, "3", "", 0},
        {"at the hourly cap", {"", "", "5"}, {{0, 2, "1"}, {kMinute, 3, "2"}}, 2 * kMinute, 1, "3",
         "5 SMS parts per hour", kHour},
        {"two parts wait for two messages to leave the hour", {"", "", "5"},
         {{0, 1, "1"}, {kMinute, 1, "2"}, {2 * kMinute, 3, "3"}}, 3 * kMinute, 2, "4", "5 SMS parts per hour",
         kHour + kMinute},
        {"an hour after, the hourly cap frees", {"", "", "5"}, {{0, 5, "1"}}, kHour, 1, "2", "", 0},
        {"a long text goes once the hour is empty", {"", "", "2"}, {{0, 1, "1"}}, kHour + 1, 6, "2", "", 0},
        {"the day's cap outlasts the hour's", {"", "", "5", "6"}, {{0, 3, "1"}, {kMinute, 3, "2"}},
         2 * kHour, 1, "3", "6 SMS parts per day", 24 * kHour},
        {"a day after, the day's cap frees", {"", "", "", "6"}, {{0, 6, "1"}}, 24 * kHour, 1, "3", "", 0},
        {"a new recipient over the cap", {"", "", "", "", "2"}, {{0, 1, "1"}, {kMinute, 1, "2"}, {kHour, 1, "1"}},
         2 * kHour, 1, "3", "2 recipients per day", 24 * kHour + kMinute},
        {"a recipient already counted", {"", "", "", "", "2"}, {{0, 1, "1"}, {kMinute, 1, "2"}}, 2 * kHour, 1, "2",
         "", 0},
    };
    for (const auto &c : cases) {
        QTemporaryDir data;
        const QString path = SimCounts::pathFor(data.path(), QStringLiteral("234150999999999"));
        {
            SimCounts counts(path);
            for (const Send &send : c.sent)
                counts.add(kStart + send.atMs, send.parts, QString::fromUtf8(send.number));
        }
        PacingLimits limits;
        ASSERT_TRUE(readPacing(c.texts, limits).isEmpty());
        auto reloaded = std::make_shared<SimCounts>(path);
        reloaded->load(kStart + c.atMs);
        const ModemPacer pacer(limits, reloaded, 1);
        const CapCheck check = pacer.check(kStart + c.atMs, c.parts, QString::fromUtf8(c.number));
        EXPECT_EQ(check.fits, *c.cap == 0) << c.name;
        EXPECT_EQ(check.cap, QString::fromUtf8(c.cap)) << c.name;
        if (!check.fits)
            EXPECT_EQ(check.resumeMs, kStart + c.resumeMs) << c.name;
    }
}

TEST(Pacing, ADamagedCountsFileIsNamedWithItsLine)
{
    const char *damaged[] = {"1765098000000 1\n", "1765098000000 one 9812345601\n",
                             "1765098000000 1 9812345601\n1765097000000 1 9812345602\n", "\x01\x02 garbage"};
    for (const char *bytes : damaged) {
        QTemporaryDir data;
        const QString path = SimCounts::pathFor(data.path(), QStringLiteral("2341"));
        QDir().mkpath(data.filePath(QStringLiteral("pacing")));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("# comment\n") + bytes);
        file.close();
        SimCounts counts(path);
        try {
            counts.load(1765098000000);
            ADD_FAILURE() << bytes << " was read";
        } catch (const QuilloError &error) {
            EXPECT_TRUE(error.description().contains(QStringLiteral("2341.txt are damaged at line ")))
                << error.description().toStdString();
        }
        EXPECT_TRUE(counts.records().isEmpty());
    }
}

TEST(Pacing, APausedRunSaysWhyAndWhenItResumes)
{
    const CapCheck hour{false, QStringLiteral("5 SMS parts per hour"), kStart + 65 * kMinute};
    const CapCheck day{false, QStringLiteral("500 SMS parts per day"), kStart + 24 * kHour};
    const struct
    {
        QList<CapCheck> held;
        qint64 resumeMs;
        const char *line;
    } cases[] = {
        {{hour}, hour.resumeMs, "Paused: the modem has reached its cap of 5 SMS parts per hour; resuming at 10:05"},
        {{hour, hour}, hour.resumeMs + 1,
         "Paused: every modem has reached its cap of 5 SMS parts per hour; resuming at 10:06"},
        {{hour, day}, hour.resumeMs,
         "Paused: every modem has reached a cap (5 SMS parts per hour; 500 SMS parts per day); resuming at 10:05"},
        {{day}, day.resumeMs,
         "Paused: the modem has reached its cap of 500 SMS parts per day; resuming at 2026-12-08 09:00"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(pausedStatus(c.held, c.resumeMs, kStart).toStdString(), c.line);
}

TEST(Pacing, TheEstimateAccountsForTheCapsOfEveryModem)
{
    const auto capped = [](int perHour, int perDay) {
        PacingLimits limits;
        limits.partsPerHour = perHour;
        limits.partsPerDay = perDay;
        return limits;
    };
    const struct
    {
        int parts;
        QList<PacingLimits> pacing;
        const char *duration; // the start of the estimate
    } cases[] = {
        {600, {}, "Estimated duration: 30m 0s (3.0 s"},
        {600, {capped(0, 500)}, "Estimated duration: at least until tomorrow, as the modems' caps allow 500 SMS "
                                "parts per day in all (without the caps: 30m 0s"},
        {1700, {capped(0, 500), capped(0, 300)}, "Estimated duration: at least 2 days, as the modems' caps allow 800"},
        {600, {capped(0, 500), capped(0, 0)}, "Estimated duration: 30m 0s"}, // an uncapped modem takes the rest
        {600, {capped(100, 0)}, "Estimated duration: at least 5h 0m, as the modems' caps allow 100 SMS parts per hour"},
    };
    for (const auto &c : cases) {
        RunPlan plan;
        plan.totalParts = c.parts;
        plan.messages.resize(c.parts);
        const QString text = runSummaryText(plan, {}, 0, c.pacing);
        EXPECT_TRUE(text.contains(QString::fromUtf8(c.duration))) << text.toStdString();
    }
}

} // namespace
