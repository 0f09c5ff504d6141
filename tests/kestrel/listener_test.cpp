// What the driver hears from modemsim on a pseudo-terminal: status reports by either route,
// incoming messages read and deleted, and AT+CMMS asked once per connection.

#include "kestrel/kestreldriver.h"
#include "modemsimprocess.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSerialPort>
#include <gtest/gtest.h>

namespace {

using Routing = ModemListener::Routing;

void spinUntil(const std::function<bool()> &done, int ms = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

struct Heard { QList<gsm::StatusReport> reports; QList<IncomingMessage> messages; };

// A component as the application sets it, listening as asked, with what it hears in heard.
std::unique_ptr<SmsComponent> listening(ModemSimProcess &sim, Heard &heard, bool reports, bool messages, Routing routing)
{
    auto modem = testComponent(sim.port(), sim.folder());
    dynamic_cast<KestrelDriver &>(*modem).setRouting(routing);
    modem->setDeliveryReports(reports);
    modem->setIncomingMessages(messages);
    modem->setModemEvents({[&heard](const gsm::StatusReport &r) { heard.reports << r; },
                           [&heard](const IncomingMessage &m) { heard.messages << m; }});
    return modem;
}

// The commands the driver wrote, from its log.
QStringList dialogue(const ModemSimProcess &sim)
{
    QFile log(QDir(sim.folder()).filePath(QStringLiteral("Kestrel.log")));
    QStringList commands;
    if (log.open(QIODevice::ReadOnly)) {
        for (const QString &line : QString::fromUtf8(log.readAll()).split(QStringLiteral("\r\n"))) {
            const qsizetype arrow = line.indexOf(QStringLiteral(" STATUS -> "));
            if (arrow >= 0)
                commands << line.mid(arrow + 11);
        }
    }
    return commands;
}

// Asks modemsim directly, once the driver has let go of the port: its answer lines.
QByteArray ask(const QString &port, const QByteArray &command)
{
    auto device = std::make_unique<QSerialPort>(port);
    if (!device->open(QIODevice::ReadWrite))
        return "cannot open";
    ModemSession session(std::move(device), nullptr);
    AtChannel channel(session.queue());
    const AtResult r = channel.command(command, 2000);
    return r.ok() ? r.reply.lines.join('|') : r.reply.errorText.toLatin1();
}

QStringList recordedWith(const ModemSimProcess &sim, const char *key, const char *field)
{
    QStringList out;
    for (const QString &line : sim.recorded()) {
        const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
        if (o.contains(QLatin1String(key)))
            out << o.value(QLatin1String(field)).toString();
    }
    return out;
}

TEST(ModemListener, StatusReportsComeByEitherRouteAndLeaveNothingStored)
{
    const struct
    {
        const char *name;
        Routing routing;
        const char *shares;
        gsm::DeliveryStatus outcome;
        const char *cnmi, *routed;
    } cases[] = {
        {"stored (+CDSI), delivered", Routing::Stored, "", gsm::DeliveryStatus::Delivered, "AT+CNMI=2,0,0,2,0", "+CDSI"},
        {"direct (+CDS), failed", Routing::Direct, "FailedShare=100\n", gsm::DeliveryStatus::Failed, "AT+CNMI=2,0,0,1,0", "+CDS"},
        {"stored, expired", Routing::Stored, "ExpiredShare=100\n", gsm::DeliveryStatus::Expired, "AT+CNMI=2,0,0,2,0", "+CDSI"},
    };
    const QString numbers[] = {QStringLiteral("+447700900123"), QStringLiteral("+447700900124")};
    for (const auto &c : cases) {
        ModemSimProcess sim;
        ASSERT_TRUE(sim.start(QStringLiteral("[reports]\nDelay=50\n") + QLatin1String(c.shares))) << c.name;
        Heard heard;
        auto modem = listening(sim, heard, true, false, c.routing);
        ASSERT_TRUE(modem->Connect()) << c.name << modem->ErrorDescription().toStdString();
        EXPECT_EQ(modem->SendSMS(numbers[0], QStringLiteral("one"), false), QStringLiteral("0")) << c.name;
        EXPECT_EQ(modem->SendSMS(numbers[1], QStringLiteral("two"), false), QStringLiteral("1")) << c.name;
        // The reports come after the run, while the component is kept.
        spinUntil([&] { return heard.reports.size() == 2 && sim.recorded().size() == 4; });
        ASSERT_EQ(heard.reports.size(), 2) << c.name;
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(heard.reports[i].reference, i) << c.name;
            EXPECT_EQ(heard.reports[i].recipient, numbers[i]) << c.name;
            EXPECT_EQ(heard.reports[i].outcome, c.outcome) << c.name;
        }
        if (c.outcome == gsm::DeliveryStatus::Failed)
            EXPECT_EQ(heard.reports[0].reason, QStringLiteral("Not obtainable")) << c.name;
        EXPECT_TRUE(dialogue(sim).contains(QLatin1String(c.cnmi))) << c.name;
        EXPECT_EQ(recordedWith(sim, "report", "routing"), QStringList(2, QLatin1String(c.routed))) << c.name;
        // A reading queues behind the listener's reads and deletes: when it returns they are done.
        EXPECT_FALSE(modem->Model().isEmpty());
        modem.reset();
        EXPECT_EQ(ask(sim.port(), "AT+CPMS=\"SR\""), QByteArray("+CPMS: 0,30,0,30,0,30")) << c.name;
    }
}

TEST(ModemListener, IncomingMessagesAreReadJoinedAndDeleted)
{
    const QString longText = QStringLiteral("Please call the office about your order; ").repeated(5).trimmed();
    ModemSimProcess sim;
    // Both come while the driver connects, before it routes anything: they wait in memory.
    ASSERT_TRUE(sim.start(QStringLiteral("[incoming]\nMessage1=0 +447700900555 STOP\nMessage2=0 +447700900556 %1\nFile=%2\n")
                              .arg(longText, sim.incomingFile())));
    Heard heard;
    auto modem = listening(sim, heard, false, true, Routing::Stored);
    ASSERT_TRUE(modem->Connect()) << modem->ErrorDescription().toStdString();
    spinUntil([&] { return heard.messages.size() == 2; });
    ASSERT_EQ(heard.messages.size(), 2);
    EXPECT_EQ(heard.messages[0].sender, QStringLiteral("+447700900555"));
    EXPECT_EQ(heard.messages[0].text, QStringLiteral("STOP"));
    EXPECT_EQ(heard.messages[1].text, longText);
    EXPECT_EQ(heard.messages[1].parts, 2);
    EXPECT_TRUE(heard.messages[1].complete());

    // One announced with +CMTI, read and deleted; then, routed directly, one by +CMT.
    ASSERT_TRUE(sim.deliver(QStringLiteral("0 +447700900557 Hello again\n")));
    spinUntil([&] { return heard.messages.size() == 3; });
    dynamic_cast<KestrelDriver &>(*modem).setRouting(Routing::Direct);
    ASSERT_TRUE(modem->Connect());
    EXPECT_FALSE(modem->Model().isEmpty()); // after the new routing
    ASSERT_TRUE(sim.deliver(QStringLiteral("0 Shop Ünïcode ☺\n")));
    spinUntil([&] { return heard.messages.size() == 4; });
    ASSERT_EQ(heard.messages.size(), 4);
    EXPECT_EQ(heard.messages[2].text, QStringLiteral("Hello again"));
    EXPECT_EQ(heard.messages[3].sender, QStringLiteral("Shop"));
    EXPECT_EQ(heard.messages[3].text, QString::fromUtf16(u"Ünïcode ☺"));
    // The simulator records a message once it has sent it: the host may hear it first.
    spinUntil([&] { return recordedWith(sim, "incoming", "routing").size() == 4; });
    EXPECT_EQ(recordedWith(sim, "incoming", "routing"), (QStringList{"stored", "stored", "+CMTI", "+CMT"}));
    EXPECT_TRUE(dialogue(sim).contains(QStringLiteral("AT+CMGR=1")));
    EXPECT_FALSE(modem->Model().isEmpty());
    modem.reset();
    EXPECT_EQ(ask(sim.port(), "AT+CPMS?"), QByteArray("+CPMS: \"SM\",0,30,\"SM\",0,30,\"SM\",0,30"));
}

// AT+CMMS=2 comes once per connection, before its first message; a modem that refuses it
// sends all the same and is not asked again on that connection. Nothing else changes.
TEST(ModemListener, KeepsTheLinkUpOncePerConnection)
{
    for (const char *ini : {"", "[faults]\nRefuseCmms=true\n"}) {
        ModemSimProcess sim;
        ASSERT_TRUE(sim.start(QString::fromLatin1(ini)));
        auto modem = testComponent(sim.port(), sim.folder());
        ASSERT_TRUE(modem->Connect());
        const qsizetype connected = dialogue(sim).size();
        EXPECT_EQ(modem->SendSMS(QStringLiteral("+447700900123"), QStringLiteral("a"), false), QStringLiteral("0")) << ini;
        EXPECT_EQ(modem->SendSMS(QStringLiteral("+447700900123"), QStringLiteral("b"), false), QStringLiteral("1")) << ini;
        const QStringList sends = dialogue(sim).mid(connected);
        ASSERT_EQ(sends.size(), 5) << ini << sends.join(u' ').toStdString();
        EXPECT_EQ(sends[0], QStringLiteral("AT+CMMS=2")) << ini;
        EXPECT_TRUE(sends[1].startsWith(QLatin1String("AT+CMGS=")) && sends[3].startsWith(QLatin1String("AT+CMGS="))) << ini;
        ASSERT_TRUE(modem->Connect());
        EXPECT_EQ(modem->SendSMS(QStringLiteral("+447700900123"), QStringLiteral("c"), false), QStringLiteral("2")) << ini;
        EXPECT_EQ(dialogue(sim).filter(QStringLiteral("AT+CMMS")).size(), 2) << ini;
        EXPECT_FALSE(modem->IsError(false, QString())) << ini;
    }
}

} // namespace
