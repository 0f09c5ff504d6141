// Message > Replies: the log newest first with stop marks and last runs, followed while the
// view is open, a damaged log named; the replies settings behind the Settings tab's button.
#include "messagingframe.h"
#include "common/datafolder.h"
#include "replies/repliesview.h"
#include "replies/replysettingsdialog.h"
#include "sending/runjournal.h"
#include "settings/settingsstore.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

namespace {

const QDateTime kNoon(QDate(2026, 12, 7), QTime(12, 0), Qt::OffsetFromUTC, 19800);

QString logsOf(const TestContext &tc)
{
    return logsFolder(tc.context.dataFolder);
}

void append(const TestContext &tc, const Reply &reply)
{
    RepliesLog(RepliesLog::pathIn(logsOf(tc))).append(reply);
}

QStringList rows(const RepliesView &view)
{
    const auto *table = view.findChild<QTableWidget *>(QStringLiteral("lstReplies"));
    QStringList rows;
    for (int row = 0; row < table->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < table->columnCount(); ++column)
            cells << table->item(row, column)->text();
        rows << cells.join(u'|');
    }
    return rows;
}

TEST(RepliesView, ListsNewestFirstWithStopMarksAndTheLastRun)
{
    TestContext tc;
    tc.state.Details.Country = QStringLiteral("IN");
    tc.makeFolder(QStringLiteral("logs"));
    RunJournalStart start;
    start.numbers = QStringList{"09800000001"};
    const QString run = QFileInfo(RunJournalWriter::create(logsOf(tc), start, [] { return kNoon; }).path()).fileName();
    append(tc, {kNoon, "/dev/ttyUSB0", "+919800000001", true, "Stop!"});
    append(tc, {kNoon.addSecs(90), "/dev/ttyUSB1", "+919800000002", false, "Thanks,\nsee you"});

    RepliesView view(tc.context);
    view.refresh();
    EXPECT_EQ(rows(view), (QStringList{"2026-12-07 12:01:30|/dev/ttyUSB1|+919800000002||Thanks, see you|",
                                       "2026-12-07 12:00:00|/dev/ttyUSB0|+919800000001|STOP|Stop!|" + run}));
    EXPECT_EQ(view.findChild<QLabel *>(QStringLiteral("lblRepliesSummary"))->text(), "2 replies, 1 stop request");
    EXPECT_TRUE(view.findChild<QLabel *>(QStringLiteral("lblRepliesProblem"))->isHidden());
}

TEST(RepliesView, FollowsTheLogWhileOpenAndNamesTheLineThatIsNoReply)
{
    // What is there when the view opens: nothing, the logs folder, a log with one reply.
    for (const int existing : {0, 1, 2}) {
        TestContext tc;
        if (existing >= 1)
            ASSERT_TRUE(QDir().mkpath(logsOf(tc)));
        if (existing == 2)
            append(tc, {kNoon, "COM1", "+1", false, "first"});
        RepliesView view(tc.context);
        view.refresh();
        QDir().mkpath(logsOf(tc));
        append(tc, {kNoon.addSecs(60), "COM1", "+2", true, "STOP"});
        EXPECT_TRUE(QTest::qWaitFor([&] { return rows(view).value(0).startsWith("2026-12-07 12:01:00|COM1|+2|STOP"); }))
            << existing;
        QFile log(RepliesLog::pathIn(logsOf(tc)));
        ASSERT_TRUE(log.open(QIODevice::Append));
        log.write("written by hand\n");
        log.close();
        const QString where = QStringLiteral("%1, line %2").arg(log.fileName()).arg(existing == 2 ? 3 : 2);
        const auto *problem = view.findChild<QLabel *>(QStringLiteral("lblRepliesProblem"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !problem->isHidden() && problem->text().contains(where); }))
            << existing << problem->text().toStdString();
        EXPECT_TRUE(rows(view).isEmpty()) << existing;
    }
}

TEST(RepliesView, TheMenuOpensOneViewAndTheSettingsButtonStoresTheDialogsValues)
{
    TestContext tc;
    MessagingFrame frame(tc);
    for (int i = 0; i < 2; ++i)
        frame.findChild<QAction *>(QStringLiteral("mnuMsgReplies"))->trigger();
    ASSERT_EQ(frame.findChildren<RepliesView *>().size(), 1);
    EXPECT_TRUE(frame.findChild<RepliesView *>()->isVisible());

    QTimer::singleShot(0, &frame, [] {
        auto *dialog = qobject_cast<ReplySettingsDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QCheckBox *>(QStringLiteral("chkRepliesListen"))->setChecked(true);
        dialog->findChild<QLineEdit *>(QStringLiteral("txtStopWords"))->setText(QStringLiteral(" arret, ,alto"));
        dialog->findChild<QLineEdit *>(QStringLiteral("txtStopConfirmation"))->setText(QStringLiteral(" Fini. "));
        dialog->accept();
    });
    frame.findChild<QPushButton *>(QStringLiteral("cmdReplies"))->click();
    const ReplySettings stored = SettingsStore(tc.context.dataFolder).loadReplies();
    EXPECT_EQ(stored, (ReplySettings{{"arret", "alto"}, "Fini.", true}));
    EXPECT_EQ(ReplySettingsDialog(stored).settings(), stored) << "the dialog shows what is stored";
}

} // namespace
