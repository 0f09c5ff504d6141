// Delivery reports: their records in the run journal, and matching them to their messages.
#include "sending/deliverytracker.h"

#include "common/error.h"
#include "qstringprinter.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using gsm::DeliveryStatus;

struct Clock
{
    QDateTime now = QDateTime(QDate(2026, 12, 7), QTime(14, 0), Qt::OffsetFromUTC, 3600);
    JournalClock get()
    {
        return [this] { return now; };
    }
};

// A run of numbers 111, 222, 333 that asked for reports; 111 went as refs1, 222 as refs2,
// 333 failed.
QString sentRun(const QString &folder, const QString &refs1, const QString &refs2, const QString &modem = {})
{
    RunJournalStart start;
    start.text = QStringLiteral("Hi");
    start.numbers = {QStringLiteral("111"), QStringLiteral("222"), QStringLiteral("333")};
    start.options = {{QStringLiteral("port"), QStringLiteral("/dev/ttyUSB0")}, {kDeliveryReportsOption, QStringLiteral("1")}};
    RunJournalWriter writer = RunJournalWriter::create(folder, start);
    const QString path = writer.path();
    writer.handed(0, modem);
    writer.sent(0, refs1, modem);
    writer.handed(1, modem);
    writer.sent(1, refs2, modem);
    writer.handed(2, modem);
    writer.failed(2, 9003, QStringLiteral("No answer"), modem);
    return path;
}

TEST(DeliveryRecords, APartsFailureOutweighsAndANumberIsDeliveredOnceEveryPartIs)
{
    const struct
    {
        const char *name;
        QList<std::pair<QString, DeliveryStatus>> reports; // for 111, sent as parts 5 and 6
        DeliveryStatus status;
        QString reason;
    } cases[] = {
        {"no report yet", {}, DeliveryStatus::Pending, {}},
        {"one part of two", {{"5", DeliveryStatus::Delivered}}, DeliveryStatus::Pending, {}},
        {"both parts", {{"6", DeliveryStatus::Delivered}, {"5", DeliveryStatus::Delivered}}, DeliveryStatus::Delivered, {}},
        {"a part failed", {{"5", DeliveryStatus::Delivered}, {"6", DeliveryStatus::Failed}}, DeliveryStatus::Failed, "Unknown subscriber"},
        {"a part expired after trying", {{"5", DeliveryStatus::Pending}, {"5", DeliveryStatus::Expired}}, DeliveryStatus::Expired, "Unknown subscriber"},
    };
    for (const auto &c : cases) {
        QTemporaryDir logs;
        const QString path = sentRun(logs.path(), QStringLiteral("5,6"), QStringLiteral("7"));
        closeRunJournal(path, RunEnd::Completed); // reports come after the run's end
        for (const auto &[ref, status] : c.reports)
            appendDeliveryRecord(path, {0, QStringLiteral("111"), ref, status, QStringLiteral("Unknown subscriber")});
        const RunJournalState run = readRunJournal(path);
        EXPECT_TRUE(run.deliveryReports);
        ASSERT_TRUE(run.positions[0].delivery) << c.name;
        EXPECT_EQ(*run.positions[0].delivery, c.status) << c.name;
        EXPECT_EQ(run.positions[0].deliveryReason, c.reason) << c.name;
        EXPECT_EQ(run.positions[1].delivery, DeliveryStatus::Pending) << c.name << ": sent, no report";
        EXPECT_FALSE(run.positions[2].delivery) << c.name << ": failed, nothing to report";
        EXPECT_TRUE(run.ended);
    }
}

TEST(DeliveryRecords, KeepTheJournalReadableAndItsEndFound)
{
    QTemporaryDir logs;
    const QString path = sentRun(logs.path(), QStringLiteral("5"), QStringLiteral("7"));
    // A torn line the program died writing goes before the report is added.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("2026-12-07T14:0");
    file.close();
    appendDeliveryRecord(path, {1, QStringLiteral("222"), QStringLiteral("7"), DeliveryStatus::Delivered, {}});
    EXPECT_EQ(readRunJournal(path).positions[1].delivery, DeliveryStatus::Delivered);
    EXPECT_EQ(unfinishedRunJournals(logs.path()), QStringList{path}) << "a report is no end";
    closeRunJournal(path, RunEnd::Completed);
    appendDeliveryRecord(path, {0, QStringLiteral("111"), QStringLiteral("5"), DeliveryStatus::Failed, QStringLiteral("x")});
    EXPECT_TRUE(unfinishedRunJournals(logs.path(), true).isEmpty()) << "a report after the end leaves it ended";
    EXPECT_THROW(closeRunJournal(path, RunEnd::Dismissed), QuilloError);

    // The reader refuses a report for a number that was not sent.
    appendDeliveryRecord(path, {2, QStringLiteral("333"), QStringLiteral("8"), DeliveryStatus::Delivered, {}});
    EXPECT_THROW(readRunJournal(path), QuilloError);
}

TEST(DeliveryTracker, MatchesByModemAndReferenceTheNewestMessageFirst)
{
    QTemporaryDir logs;
    Clock clock;
    DeliveryTracker tracker(clock.get());
    // Two modems gave the same references; the second run used reference 5 again on COM1.
    const QString first = sentRun(logs.path(), QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("COM1"));
    const QString second = sentRun(logs.path(), QStringLiteral("5"), QStringLiteral("9"), QStringLiteral("COM2"));
    tracker.expect(first, 0, QStringLiteral("111"), QStringLiteral("COM1"), QStringLiteral("5"));
    tracker.expect(first, 1, QStringLiteral("222"), QStringLiteral("COM1"), QStringLiteral("6"));
    tracker.expect(second, 0, QStringLiteral("111"), QStringLiteral("COM2"), QStringLiteral("5"));
    tracker.expect(second, 1, QStringLiteral("222"), QStringLiteral("COM1"), QStringLiteral("6"));

    EXPECT_FALSE(tracker.record(QStringLiteral("COM2"), QStringLiteral("6"), DeliveryStatus::Pending, {}))
        << "the same reference from another modem";
    const auto got = tracker.record(QStringLiteral("COM2"), QStringLiteral("5"), DeliveryStatus::Delivered, {});
    ASSERT_TRUE(got);
    EXPECT_EQ(got->journal, second);
    const auto clash = tracker.record(QStringLiteral("COM1"), QStringLiteral("6"), DeliveryStatus::Failed, QStringLiteral("Rejected"));
    ASSERT_TRUE(clash);
    EXPECT_EQ(clash->journal, second) << "the later message with the pair";
    EXPECT_EQ(readRunJournal(second).positions[1].delivery, DeliveryStatus::Failed);
    EXPECT_EQ(readRunJournal(first).positions[1].delivery, DeliveryStatus::Pending);
    EXPECT_FALSE(tracker.record(QStringLiteral("COM1"), QStringLiteral("6"), DeliveryStatus::Delivered, {}))
        << "a final status is not taken twice";

    // A report before its message waits; one nobody claims is unknown after the grace.
    EXPECT_FALSE(tracker.record(QStringLiteral("COM3"), QStringLiteral("40"), DeliveryStatus::Expired, QStringLiteral("late")));
    EXPECT_FALSE(tracker.record(QStringLiteral("COM3"), QStringLiteral("41"), DeliveryStatus::Delivered, {}));
    const QList<DeliveryTracker::Recorded> early =
        tracker.expect(first, 0, QStringLiteral("111"), QStringLiteral("COM3"), QStringLiteral("40"));
    ASSERT_EQ(early.size(), 1);
    EXPECT_EQ(early[0].record.status, DeliveryStatus::Expired);
    EXPECT_TRUE(tracker.takeUnknown().isEmpty());
    clock.now = clock.now.addMSecs(DeliveryTracker::kGraceMs);
    const QList<DeliveryTracker::Unknown> unknown = tracker.takeUnknown();
    ASSERT_EQ(unknown.size(), 2);
    EXPECT_EQ(unknown[0].modem + unknown[0].reference, QStringLiteral("COM16")) << "the second report of a final one";
    EXPECT_EQ(unknown[1].modem + unknown[1].reference, QStringLiteral("COM341"));
    EXPECT_TRUE(tracker.takeUnknown(true).isEmpty());
}

TEST(DeliveryTracker, FindsThePendingMessagesOfRecentRunsAfterARestart)
{
    QTemporaryDir logs;
    const QString modemRun = sentRun(logs.path(), QStringLiteral("5,6"), QStringLiteral("7"));
    appendDeliveryRecord(modemRun, {0, QStringLiteral("111"), QStringLiteral("5"), DeliveryStatus::Delivered, {}});
    Clock clock;
    clock.now = QDateTime::currentDateTime();
    DeliveryTracker tracker(clock.get());
    tracker.loadPending(logs.path());
    EXPECT_EQ(tracker.pendingCount(), 2) << "part 6 of 111 and 222";
    EXPECT_FALSE(tracker.record(QStringLiteral("/dev/ttyUSB0"), QStringLiteral("5"), DeliveryStatus::Failed, {}))
        << "a part already delivered";
    EXPECT_TRUE(tracker.record(QStringLiteral("/dev/ttyUSB0"), QStringLiteral("6"), DeliveryStatus::Delivered, {}));
    EXPECT_EQ(readRunJournal(modemRun).positions[0].delivery, DeliveryStatus::Delivered);

    DeliveryTracker later(clock.get());
    clock.now = clock.now.addDays(8);
    later.loadPending(logs.path());
    EXPECT_EQ(later.pendingCount(), 0) << "runs older than a week are left alone";
}

} // namespace
