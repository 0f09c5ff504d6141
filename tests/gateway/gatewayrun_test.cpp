// Whole runs through a real Kannel: the list, the journal and what the fake SMSC got agree,
// also when Kannel goes away in the middle and the run is resumed.
#include "fakes.h"
#include "kannelprocesses.h"
#include "silentrunview.h"

#include "gateway/kannelrequest.h"
#include "recipients/recipientlist.h"
#include "sending/runengine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSet>
#include <gtest/gtest.h>

namespace {

class QuietView : public SilentRunView
{
public:
    std::function<void(const QString &)> onSent;
    void numberDone(const QString &number, bool sent, const QString &, qint32, const QString &) override
    {
        if (sent && onSent)
            onSent(number);
    }
};

QStringList numbers(int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << QString::number(447700900000LL + i);
    return list;
}

GatewaySettings gatewayOf(const KannelProcesses &kannel)
{
    GatewaySettings gateway;
    gateway.use = true;
    gateway.route.sendsmsUrl = kannel.sendsmsUrl();
    gateway.route.user = kannel.user();
    gateway.route.password = kannel.password();
    return gateway;
}

QStringList receivedNumbers(KannelProcesses &kannel)
{
    QStringList got;
    for (const auto &message : kannel.received())
        got << message.to;
    return got;
}

class GatewayRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!KannelProcesses::installed())
            GTEST_SKIP() << "kannel and kannel-extras are not installed (scripts/install-deps installs them)";
        t.makeFolder(QStringLiteral("logs"));
        t.state.Details.MsgLog = QStringLiteral("2");
    }

    // A run of list through the gateway, answering the start question yes, that ends with
    // the message starting with ending.
    RunResult run(RunEngine &engine, const GatewaySettings &gateway, const QString &ending, Dialogs::Icon icon,
                  const QString &resumes = {})
    {
        engine.setGateway(gateway);
        if (!resumes.isEmpty())
            engine.setResumes(resumes);
        t.dialogs.expectQuestionStartingWith(QStringLiteral("Start sending messages?"), true).expectMessageStartingWith(ending, icon);
        const RunResult result = engine.start({QStringLiteral("Hello"), {}, false, false, 0}, {QStringLiteral("Split"), true});
        EXPECT_TRUE(t.dialogs.allConsumed());
        return result;
    }

    TestContext t;
    QuietView view;
    RecipientList list;
};

} // namespace

TEST_F(GatewayRun, EveryNumberArrivesOnceAndLeavesTheList)
{
    KannelProcesses kannel;
    ASSERT_EQ(kannel.start(), QString());
    const QStringList all = numbers(1000);
    list.appendMany(all);
    RunEngine engine(t.context, list, view);
    const RunResult result = run(engine, gatewayOf(kannel), QStringLiteral("Sending complete. [Sent:1000; Failed:0]"),
                                 Dialogs::Icon::None);
    EXPECT_TRUE(t.dialogs.shown().constFirst().contains(
        QLatin1String("Estimated duration: as fast as the gateway takes them, 8 requests at once")));
    EXPECT_EQ(list.count(), 0);
    ASSERT_TRUE(kannel.waitForReceived(1000, 30000)) << kannel.received().size();
    const QStringList got = receivedNumbers(kannel);
    EXPECT_EQ(got.size(), 1000) << "a number arrived twice";
    EXPECT_EQ(QSet<QString>(got.begin(), got.end()), QSet<QString>(all.begin(), all.end()));
    const RunJournalState journal = readRunJournal(result.journal);
    EXPECT_EQ(journal.notSent(true), QStringList());
    EXPECT_TRUE(journal.start.options.contains(std::pair{QStringLiteral("gateway"), kannel::loggable(kannel.sendsmsUrl())}));
}

// The second run also asks for delivery reports: Kannel calls back on the run's dlr-url and
// each report finds its number in the journal, also those that come after the run's end.
TEST_F(GatewayRun, KannelStoppedMidRunThenResumedSendsEachNumberAtMostOnce)
{
    const QStringList all = numbers(300);
    QStringList got;
    RunResult first;
    {
        KannelProcesses kannel;
        ASSERT_EQ(kannel.start(), QString());
        list.appendMany(all);
        int sent = 0;
        view.onSent = [&](const QString &) {
            if (++sent == 100)
                kannel.stop();
        };
        RunEngine engine(t.context, list, view);
        first = run(engine, gatewayOf(kannel), QStringLiteral("The gateway "), Dialogs::Icon::Exclamation);
        view.onSent = {};
        EXPECT_EQ(first.end, RunResult::End::ConnectionFailure);
        const RunJournalState journal = readRunJournal(first.journal);
        EXPECT_EQ(list.entries(), journal.notSent(true)) << "the list keeps exactly what the journal did not send";
        EXPECT_GE(first.sent, 100);
        EXPECT_LT(first.sent, 300);
        got = receivedNumbers(kannel);
    }
    KannelProcesses again;
    ASSERT_EQ(again.start(), QString());
    list.clear();
    list.appendMany(readRunJournal(first.journal).notSent(false));
    t.state.Details.DeliveryReports = QStringLiteral("1");
    RunEngine engine(t.context, list, view);
    const RunResult second = run(engine, gatewayOf(again), QStringLiteral("Sending complete."), Dialogs::Icon::None, first.journal);
    EXPECT_EQ(second.end, RunResult::End::Completed);
    EXPECT_EQ(list.count(), 0);
    ASSERT_TRUE(again.waitForReceived(second.sent, 30000));
    got += receivedNumbers(again);
    const QSet<QString> once(got.begin(), got.end());
    EXPECT_EQ(once.size(), got.size()) << "a number arrived twice";
    // Only numbers whose answer was lost when Kannel went may be missing.
    const RunJournalState journal = readRunJournal(first.journal);
    for (const QString &number : all)
        EXPECT_TRUE(once.contains(number) || journal.notSent(true).contains(number) != journal.notSent(false).contains(number))
            << number.toStdString() << " never arrived and was not uncertain";

    QElapsedTimer waited;
    for (waited.start(); engine.pendingDeliveries() > 0 && waited.elapsed() < 20000;)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    const RunJournalState reported = readRunJournal(second.journal);
    EXPECT_TRUE(reported.deliveryReports);
    for (const RunPosition &p : reported.positions)
        EXPECT_EQ(p.delivery, gsm::DeliveryStatus::Delivered);
}

// Nothing went: the list stays whole and the journal has no number that may have gone.
TEST_F(GatewayRun, AWrongPasswordOrNoKannelEndsTheRunWithTheListWhole)
{
    KannelProcesses kannel;
    ASSERT_EQ(kannel.start(), QString());
    GatewaySettings wrongPassword = gatewayOf(kannel);
    wrongPassword.route.password = QStringLiteral("wrong");
    GatewaySettings nobodyListening = gatewayOf(kannel);
    nobodyListening.route.sendsmsUrl = QUrl(QStringLiteral("http://127.0.0.1:1/cgi-bin/sendsms"));
    const std::pair<GatewaySettings, QString> cases[] = {
        {wrongPassword, QStringLiteral("The gateway refused the user name or password: Authorization failed for sendsms")},
        {nobodyListening, QStringLiteral("The gateway could not be reached: ")},
    };
    for (const auto &[gateway, box] : cases) {
        list.clear();
        list.appendMany(numbers(20));
        RunEngine engine(t.context, list, view);
        const RunResult result = run(engine, gateway, box, Dialogs::Icon::Exclamation);
        EXPECT_EQ(result.end, RunResult::End::ConnectionFailure) << box.toStdString();
        EXPECT_EQ(list.entries(), numbers(20));
        EXPECT_EQ(readRunJournal(result.journal).notSent(false), numbers(20));
    }
    EXPECT_FALSE(kannel.waitForReceived(1, 500));
}
