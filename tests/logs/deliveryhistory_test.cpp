// The Delivery view's reading of the logs folder: the runs that asked for reports, newest
// first, with each sent number's status; damaged journals; the CSV.
#include "common/ansitext.h"
#include "deliveryjournals.h"
#include "logs/deliveryhistory.h"
#include "qstringprinter.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using gsm::DeliveryStatus;
using namespace deliverytest;

QStringList fileNames(const DeliveryHistory &history)
{
    QStringList names;
    for (const DeliveryRun &run : history.runs())
        names << run.fileName;
    return names;
}

DeliveryCounts counts(int delivered, int pending, int failed, int expired)
{
    return DeliveryCounts{{delivered, pending, failed, expired}};
}

QString nameOf(const QString &path)
{
    return QFileInfo(path).fileName();
}

TEST(DeliveryHistory, ListsTheRunsThatAskedNewestFirstWithEachSentNumbersStatus)
{
    QTemporaryDir logs;
    // One modem: 111 in two parts, one failed; 222 delivered; 333 never sent; 444 no report yet.
    const QString oneModem = writeRun(logs.path(), at(10),
                                      {{"111", "5,6"}, {"222", "7"}, {"333", {}}, {"444", "8"}}, true);
    report(oneModem, 0, "111", "5", DeliveryStatus::Delivered, at(10, 1));
    report(oneModem, 0, "111", "6", DeliveryStatus::Failed, at(10, 2), "Unknown subscriber");
    report(oneModem, 1, "222", "7", DeliveryStatus::Delivered, at(10, 3));
    writeRun(logs.path(), at(11), {{"555", "9"}}, false);
    // Two runs in one second: the second's name sorts before the first's.
    const QString first = writeRun(logs.path(), at(12), {{"666", "1", "COM1"}, {"777", "1", "COM2"}}, true);
    report(first, 1, "777", "1", DeliveryStatus::Expired, at(12, 5), "SM validity period expired");
    const QString second = writeRun(logs.path(), at(12), {{"888", "1"}}, true,
                                    {{QStringLiteral("gateway"), QStringLiteral("http://kannel/")}});

    DeliveryHistory history;
    ASSERT_TRUE(history.load(logs.path()));
    EXPECT_EQ(fileNames(history), (QStringList{nameOf(second), nameOf(first), nameOf(oneModem)}))
        << "only runs that asked, newest first";

    const struct { int run, row; DeliveryRow expected; } rows[] = {
        {2, 0, {"111", "/dev/ttyUSB0", DeliveryStatus::Failed, "Unknown subscriber", at(10, 2)}},
        {2, 1, {"222", "/dev/ttyUSB0", DeliveryStatus::Delivered, {}, at(10, 3)}},
        {2, 2, {"444", "/dev/ttyUSB0", DeliveryStatus::Pending, {}, {}}},
        {1, 0, {"666", "COM1", DeliveryStatus::Pending, {}, {}}},
        {1, 1, {"777", "COM2", DeliveryStatus::Expired, "SM validity period expired", at(12, 5)}},
        {0, 0, {"888", "gateway", DeliveryStatus::Pending, {}, {}}},
    };
    for (const auto &r : rows) {
        const DeliveryRow &got = history.runs().at(r.run).rows.value(r.row);
        EXPECT_EQ(got.number, r.expected.number);
        EXPECT_EQ(got.modem, r.expected.modem) << r.expected.number.toStdString();
        EXPECT_EQ(got.status, r.expected.status) << r.expected.number.toStdString();
        EXPECT_EQ(got.reason, r.expected.reason) << r.expected.number.toStdString();
        EXPECT_EQ(got.reported, r.expected.reported) << r.expected.number.toStdString();
    }
    EXPECT_EQ(history.runs().at(2).rows.size(), 3) << "the failed number is no delivery";
    EXPECT_EQ(history.runs().at(2).started, at(10));
    EXPECT_EQ(history.runs().at(2).counts, counts(1, 1, 1, 0));
    EXPECT_EQ(history.runs().at(1).counts, counts(0, 1, 0, 1));
    EXPECT_EQ(history.totals(), counts(1, 3, 1, 1));
    EXPECT_EQ(history.pendingJournals().size(), 3);
}

TEST(DeliveryHistory, ADamagedJournalIsOneLineAndTheOthersStillShow)
{
    QTemporaryDir logs;
    const QString good = writeRun(logs.path(), at(9), {{"111", "5"}}, true);
    const struct
    {
        const char *name;
        QByteArray tail; // appended to a run that asked
        bool truncate;   // the file cut to its first line instead
        QString error;   // what the one line says
    } cases[] = {
        {"a report for a number not sent", "2026-12-07T10:00:00.000+01:00\tdelivery\t1\t222\t9\tdelivered\t\n", false,
         "line 17: a delivery report for position 1, which was not sent"},
        {"a start cut short", {}, true, "the list of numbers stops before its \"begin\" record"},
    };
    for (const auto &c : cases) {
        const QString bad = writeRun(logs.path(), at(10), {{"111", "5"}, {"222", {}}}, true);
        const QByteArray written = readFileBytes(bad);
        writeFileBytes(bad, (c.truncate ? written.left(written.indexOf('\n') + 1) : written) + c.tail);

        DeliveryHistory history;
        history.load(logs.path());
        ASSERT_EQ(fileNames(history), (QStringList{nameOf(bad), nameOf(good)})) << c.name;
        const DeliveryRun &damaged = history.runs().at(0);
        EXPECT_TRUE(damaged.error.contains(bad) && damaged.error.endsWith(c.error)) << c.name << ": " << damaged.error.toStdString();
        EXPECT_TRUE(damaged.rows.isEmpty()) << c.name;
        EXPECT_EQ(damaged.started, at(10)) << c.name;
        EXPECT_EQ(history.totals(), counts(0, 1, 0, 0)) << c.name;
        QFile::remove(bad);
    }
}

TEST(DeliveryHistory, CsvHasOneLinePerNumberQuotedAsSpreadsheetsRead)
{
    DeliveryRun run{QStringLiteral("run-20261207-100000.journal"), at(10)};
    run.rows = {{QStringLiteral("+919812345601"), QStringLiteral("COM1"), DeliveryStatus::Failed,
                 QStringLiteral("Rejected, \"no such\" number"), at(10, 2, 9)},
                {QStringLiteral("9812345602"), QStringLiteral("COM2"), DeliveryStatus::Pending, {}, {}}};
    DeliveryRun damaged{QStringLiteral("run-20261206-090000.journal"), at(9)};
    damaged.error = QStringLiteral("The run journal x, line 3: bad");
    EXPECT_EQ(deliveryCsv({run, damaged}),
              QByteArray("run start,journal,number,modem,status,reason,report time\r\n"
                         "2026-12-07T10:00:00+01:00,run-20261207-100000.journal,+919812345601,COM1,failed,"
                         "\"Rejected, \"\"no such\"\" number\",2026-12-07T10:02:09+01:00\r\n"
                         "2026-12-07T10:00:00+01:00,run-20261207-100000.journal,9812345602,COM2,pending,,\r\n"
                         "2026-12-07T09:00:00+01:00,run-20261206-090000.journal,,,unreadable,"
                         "\"The run journal x, line 3: bad\",\r\n"));
}

} // namespace
