// Log > Delivery: the runs' numbers and counts, all runs or one, kept up to date by a
// refresh, the CSV export through the file dialog, and the view when no run asked.
#include "app/mainwindow.h"
#include "common/ansitext.h"
#include "deliveryjournals.h"
#include "fakes.h"
#include "fakesmscomponent.h"
#include "findcontrol.h"
#include "logs/deliverychart.h"
#include "logs/deliverydialog.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <gtest/gtest.h>

namespace {

using gsm::DeliveryStatus;
using Icon = Dialogs::Icon;
using namespace deliverytest;

class DeliveryDialogTest : public testing::Test
{
protected:
    QComboBox *picker() { return findControl<QComboBox>(dialog, "cboDeliveryRun"); }
    QTableView *table() { return findControl<QTableView>(dialog, "grdDelivery"); }
    // The texts of a line of the table, the columns shown.
    QStringList line(int row)
    {
        QStringList texts;
        for (int column = 0; column < table()->model()->columnCount(); ++column)
            if (!table()->isColumnHidden(column))
                texts << table()->model()->index(row, column).data().toString();
        return texts;
    }
    DeliveryCounts chart() { return findControl<DeliveryChart>(dialog, "picDeliveryChart")->counts(); }
    bool noneShown() { return findControl<QLabel>(dialog, "lblDeliveryNone")->isVisibleTo(&dialog); }
    void pick(const QString &journal) { picker()->setCurrentIndex(picker()->findData(QFileInfo(journal).fileName())); }

    // Run A at 10:00: 111 delivered, 222 failed. Run B at 11:00: 333 with no report yet.
    void writeRuns()
    {
        runA = writeRun(logs, at(10), {{"111", "5"}, {"222", "6"}}, true);
        report(runA, 0, "111", "5", DeliveryStatus::Delivered, at(10, 1));
        report(runA, 1, "222", "6", DeliveryStatus::Failed, at(10, 2), "Unknown subscriber");
        runB = writeRun(logs, at(11), {{"333", "7"}}, true);
    }

    TestContext tc;
    const QString logs = tc.makeFolder(QStringLiteral("logs"));
    DeliveryDialog dialog{tc.context};
    QString runA, runB;
};

TEST_F(DeliveryDialogTest, ShowsTheNumbersAndCountsOfAllRunsOrTheOnePickedAndFollowsNewReports)
{
    writeRuns();
    dialog.Form_Load();
    ASSERT_EQ(picker()->count(), 3);
    EXPECT_EQ(picker()->itemText(0), QStringLiteral("All runs (2)"));
    EXPECT_EQ(picker()->itemText(1), QStringLiteral("2026-12-07 11:00:00 - 1 numbers - ") + QFileInfo(runB).fileName());
    EXPECT_FALSE(noneShown());
    ASSERT_EQ(table()->model()->rowCount(), 3);
    EXPECT_EQ(line(0), (QStringList{"2026-12-07 11:00:00", "333", "/dev/ttyUSB0", "pending", "", ""}));
    EXPECT_EQ(chart(), (DeliveryCounts{{1, 1, 1, 0}}));
    EXPECT_EQ(findControl<DeliveryChart>(dialog, "picDeliveryChart")->accessibleDescription(),
              QStringLiteral("delivered 1 (33%), pending 1 (33%), failed 1 (33%), expired 0 (0%)"));

    pick(runA);
    ASSERT_EQ(table()->model()->rowCount(), 2);
    EXPECT_EQ(line(1), (QStringList{"222", "/dev/ttyUSB0", "failed", "Unknown subscriber", "2026-12-07 10:02:00"}))
        << "one run: no run column";
    EXPECT_EQ(chart(), (DeliveryCounts{{1, 0, 1, 0}}));

    // Reports and runs that come while the view is open; the run picked stays picked.
    report(runB, 0, "333", "7", DeliveryStatus::Delivered, at(11, 3));
    const QString runC = writeRun(logs, at(12), {{"444", "8"}}, true);
    dialog.cmdDeliveryRefresh_Click();
    EXPECT_EQ(picker()->count(), 4);
    EXPECT_EQ(picker()->currentData().toString(), QFileInfo(runA).fileName());
    picker()->setCurrentIndex(0);
    EXPECT_EQ(chart(), (DeliveryCounts{{2, 1, 1, 0}}));
    EXPECT_EQ(line(0).at(1), QStringLiteral("444")) << "the newest run first";
    ASSERT_TRUE(QFile::remove(runC));
    dialog.cmdDeliveryRefresh_Click();
    EXPECT_EQ(picker()->count(), 3) << "a journal deleted";
}

TEST_F(DeliveryDialogTest, ExportsTheRunsShownToTheFileChosenAndNamesItWhenItFails)
{
    writeRuns();
    dialog.Form_Load();
    pick(runA);
    const QString path = tc.context.dataFolder + QStringLiteral("delivery.csv");
    tc.dialogs.expectSaveFile(path).expectMessage(QStringLiteral("Delivery statuses saved in %1.").arg(path),
                                                  Icon::Information);
    findControl<QPushButton>(dialog, "cmdDeliveryExport")->click();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    EXPECT_EQ(lines.size(), 4) << "the heading and the picked run's two numbers";
    EXPECT_TRUE(lines.value(2).contains(",222,/dev/ttyUSB0,failed,Unknown subscriber,2026-12-07T10:02:00+01:00\r"))
        << lines.value(2).toStdString();

    const QString nowhere = tc.context.dataFolder + QStringLiteral("missing/delivery.csv");
    tc.dialogs.expectSaveFile(QString()).expectSaveFile(nowhere).expectMessageStartingWith(
        QStringLiteral("Cannot export the delivery statuses to %1\r\n[").arg(nowhere), Icon::Critical);
    dialog.cmdDeliveryExport_Click(); // cancelled: nothing written, nothing said
    dialog.cmdDeliveryExport_Click();
    EXPECT_TRUE(tc.dialogs.allConsumed());
    EXPECT_FALSE(QFileInfo::exists(nowhere));
}

TEST_F(DeliveryDialogTest, SaysWhenNoRunAskedAndShowsADamagedJournalAsOneLine)
{
    writeRun(logs, at(9), {{"111", "5"}}, false);
    dialog.Form_Load();
    EXPECT_TRUE(noneShown());
    EXPECT_FALSE(findControl<QPushButton>(dialog, "cmdDeliveryExport")->isEnabled());
    EXPECT_EQ(table()->model()->rowCount(), 0);

    writeRuns();
    writeFileBytes(runB, readFileBytes(runB) + "garbage\n");
    dialog.cmdDeliveryRefresh_Click();
    EXPECT_FALSE(noneShown());
    EXPECT_EQ(picker()->itemText(1), QStringLiteral("2026-12-07 11:00:00 - cannot be read - ") + QFileInfo(runB).fileName());
    ASSERT_EQ(table()->model()->rowCount(), 3);
    const QStringList first = line(0);
    EXPECT_EQ(first.mid(0, 4), (QStringList{"2026-12-07 11:00:00", "", "", "unreadable"}));
    EXPECT_TRUE(first.at(4).startsWith(QStringLiteral("The run journal %1, line ").arg(runB))) << first.at(4).toStdString();
    EXPECT_EQ(line(2).at(1), QStringLiteral("222")) << "the other run still shows";
}

TEST(DeliveryMenu, LogDeliveryOpensTheViewOnceAndAgainAfterItIsClosed)
{
    TestContext tc;
    tc.context.componentFactory = FakeSmsComponent::factory(std::make_shared<FakeSmsComponent::Script>());
    MainWindow window(tc.context, [] {});
    window.Form_Load();
    QAction *entry = findControl<QAction>(window, "mnuLogDelivery");
    for (int i = 0; i < 2; ++i)
        entry->trigger();
    const QList<DeliveryDialog *> open = window.findChildren<DeliveryDialog *>();
    ASSERT_EQ(open.size(), 1);
    EXPECT_TRUE(open.at(0)->isVisible());
    open.at(0)->reject();
    entry->trigger();
    ASSERT_EQ(window.findChildren<DeliveryDialog *>().size(), 1);
    EXPECT_TRUE(window.findChildren<DeliveryDialog *>().at(0)->isVisible()) << "opens again once closed";
}

} // namespace
