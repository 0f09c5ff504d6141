// Sending over a pseudo-terminal to modemsim and through the in-process SIMULATOR.

#include "kestrel/kestrelerrors.h"
#include "modemsimprocess.h"
#include "kestrel/submitdecoder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kNumber = QStringLiteral("+447700900123");

QJsonObject json(const QString &line)
{
    return QJsonDocument::fromJson(line.toUtf8()).object();
}

gsm::DecodedSubmit decoded(const QString &line)
{
    gsm::DecodedSubmit d;
    gsm::decodeSubmit(json(line).value(QStringLiteral("pdu")).toString().toLatin1(), -1, &d, nullptr);
    return d;
}

class KestrelSend : public ::testing::Test
{
protected:
    std::unique_ptr<SmsComponent> connect(const QString &ini = {})
    {
        if (!sim.start(ini))
            return nullptr;
        auto modem = testComponent(sim.port(), sim.folder());
        return modem->Connect() ? std::move(modem) : nullptr;
    }
    ModemSimProcess sim;
};

// A number that is not one is refused before the modem; then messages go out in order, as
// plain as can be unless settings ask for more.
TEST_F(KestrelSend, SingleMessages)
{
    auto modem = connect();
    ASSERT_TRUE(modem);
    EXPECT_EQ(modem->SendSMS(QStringLiteral("call me"), QStringLiteral("x"), false), QString());
    EXPECT_EQ(modem->ErrorNumber(), kestrel::InvalidNumber);
    EXPECT_TRUE(sim.recorded().isEmpty());
    EXPECT_EQ(modem->SendSMS(kNumber, QStringLiteral("Hello [world] €5"), false), QStringLiteral("0"));
    EXPECT_FALSE(modem->IsError(false, QString()));
    EXPECT_EQ(modem->SendSMS(kNumber, QStringLiteral("Second"), false), QStringLiteral("1"));
    const QStringList rec = sim.recorded();
    ASSERT_EQ(rec.size(), 2);
    EXPECT_EQ(json(rec[0]).value(QStringLiteral("number")).toString(), kNumber);
    EXPECT_EQ(json(rec[0]).value(QStringLiteral("text")).toString(), QStringLiteral("Hello [world] €5"));
    // No validity, no status report and the modem's own service centre unless asked for.
    EXPECT_EQ(decoded(rec[0]).validity, -1);
    EXPECT_FALSE(decoded(rec[0]).statusReport);
    EXPECT_TRUE(decoded(rec[0]).smsc.isEmpty());

    // Unicode, flash, a validity and an own service centre when asked for.
    modem->setEncoding(2);
    modem->setValidity(QStringLiteral("1W"));
    modem->setSMSC(QStringLiteral("+447785016005"));
    EXPECT_EQ(modem->SendSMS(kNumber, QString::fromUtf16(u"Привет 😀"), true), QStringLiteral("2"));
    ASSERT_EQ(sim.recorded().size(), 3);
    const gsm::DecodedSubmit d = decoded(sim.recorded()[2]);
    EXPECT_EQ(d.text, QString::fromUtf16(u"Привет 😀"));
    EXPECT_EQ(d.coding, gsm::Coding::Ucs2);
    EXPECT_TRUE(d.flash);
    EXPECT_EQ(d.validity, 173);
    EXPECT_EQ(d.smsc, QStringLiteral("+447785016005"));
}

TEST_F(KestrelSend, LongMessageModes)
{
    auto modem = connect();
    ASSERT_TRUE(modem);
    QString text;
    for (int i = 0; text.size() < 400; ++i)
        text += QStringLiteral("word%1 ").arg(i);
    text = text.trimmed();

    const struct { int mode; int parts; } modes[] = {{0, 1}, {1, 3}, {2, 3}, {3, 3}};
    int seen = 0;
    for (const auto &m : modes) {
        modem->setLongMessage(m.mode);
        const QString report = modem->SendSMS(kNumber, text, false);
        EXPECT_EQ(report.split(u',').size(), m.parts) << m.mode << " " << report.toStdString();
        const QStringList rec = sim.recorded().mid(seen);
        seen += int(rec.size());
        ASSERT_EQ(rec.size(), m.parts) << m.mode;
        QString joined;
        for (int i = 0; i < rec.size(); ++i) {
            const QString part = json(rec[i]).value(QStringLiteral("text")).toString();
            if (m.mode == 2)
                EXPECT_TRUE(part.startsWith(QStringLiteral("(%1/3) ").arg(i + 1))) << part.toStdString();
            if (m.mode == 3) {
                EXPECT_EQ(json(rec[i]).value(QStringLiteral("part")).toInt(), i + 1);
                EXPECT_EQ(json(rec[i]).value(QStringLiteral("parts")).toInt(), 3);
            }
            joined += part;
        }
        if (m.mode == 0)
            EXPECT_EQ(joined, text.left(160));
        if (m.mode == 1 || m.mode == 3)
            EXPECT_EQ(joined, text);
    }
}

// The chosen numbers are refused twice each; a retry is spent on a refusal, and the next
// message clears the error as it starts.
TEST_F(KestrelSend, CmsErrorsForChosenNumbersAndRetries)
{
    auto modem = connect(QStringLiteral(
        "[faults]\nCmsErrorNumbers=+447700900999, 447700900998\nCmsErrorCode=38\nCmsErrorTimes=2\n"));
    ASSERT_TRUE(modem);
    modem->setSendRetry(1);
    EXPECT_EQ(modem->SendSMS(QStringLiteral("+447700900999"), QStringLiteral("x"), false), QString());
    EXPECT_TRUE(modem->IsError(false, QStringLiteral("Kestrel Error")));
    EXPECT_EQ(modem->ErrorNumber(), 38); // two refusals, one retry: still failed
    EXPECT_TRUE(modem->ErrorDescription().contains(QStringLiteral("+CMS ERROR 38")));
    modem->setSendRetry(0);
    modem->SendSMS(QStringLiteral("447700900998"), QStringLiteral("x"), false);
    EXPECT_EQ(modem->ErrorNumber(), 38);
    EXPECT_EQ(modem->SendSMS(kNumber, QStringLiteral("x"), false), QStringLiteral("0"));
    EXPECT_FALSE(modem->IsError(false, QString()));
    // The third attempt overall is accepted.
    EXPECT_EQ(modem->SendSMS(QStringLiteral("+447700900999"), QStringLiteral("x"), false), QStringLiteral("1"));
    EXPECT_FALSE(modem->IsError(false, QString()));
    EXPECT_EQ(sim.recorded().size(), 2);
}

// An OK without the message's reference, or silence once the message is on its way: the
// modem may have sent it, so it is failed and never tried again.
TEST(KestrelRetry, AnAnswerThatMayHaveSentIsNotRetried)
{
    const struct { const char *ini; qint32 error; } cases[] = {
        {"[faults]\nNoReferenceNumbers=447700900123\n", kestrel::UnexpectedAnswer},
        // Connecting takes 7 commands and AT+CMMS=2 the 8th: the first AT+CMGS goes unanswered.
        {"[faults]\nSilentAfterCommands=8\n", kestrel::NoAnswer},
    };
    for (const auto &c : cases) {
        ModemSimProcess sim;
        ASSERT_TRUE(sim.start(QString::fromLatin1(c.ini)));
        auto modem = testComponent(sim.port(), sim.folder(), 300);
        ASSERT_TRUE(modem->Connect());
        modem->setSendRetry(3);
        EXPECT_EQ(modem->SendSMS(kNumber, QStringLiteral("x"), false), QString()) << c.ini;
        EXPECT_EQ(modem->ErrorNumber(), c.error) << c.ini;
        QFile log(QDir(sim.folder()).filePath(QStringLiteral("Kestrel.log")));
        ASSERT_TRUE(log.open(QIODevice::ReadOnly));
        EXPECT_EQ(log.readAll().count("-> AT+CMGS="), 1) << c.ini;
    }
}

// The pseudo-terminal and the in-process port lose the line alike, and nothing waits afterwards.
TEST(KestrelHangUp, MidRunFailsEveryLaterCallAtOnce)
{
    const QByteArray ini = "[faults]\nHangUpAfterMessages=2\n";
    for (const bool inProcess : {false, true}) {
        SCOPED_TRACE(inProcess ? "SIMULATOR" : "modemsim");
        ModemSimProcess sim;
        QTemporaryDir logs;
        QFile file(QDir(logs.path()).filePath(QStringLiteral("simulator.ini")));
        ASSERT_TRUE(inProcess ? file.open(QIODevice::WriteOnly) && file.write(ini) > 0 : sim.start(QString::fromLatin1(ini)));
        file.close();
        auto modem = inProcess ? testComponent(QStringLiteral("SIMULATOR"), logs.path())
                               : testComponent(sim.port(), sim.folder());
        modem->Connect();
        modem->setSendRetry(3);
        EXPECT_EQ(modem->SendSMS(kNumber, QStringLiteral("one"), false), QStringLiteral("0"));
        EXPECT_EQ(modem->SendSMS(kNumber, QStringLiteral("two"), false), QStringLiteral("1"));
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(modem->SendSMS(kNumber, QStringLiteral("three"), false), QString());
        EXPECT_EQ(modem->ErrorNumber(), kestrel::PortLost);
        EXPECT_EQ(modem->Manufacturer(), QString());
        EXPECT_EQ(modem->ErrorNumber(), kestrel::PortLost);
        modem->Connect();
        EXPECT_EQ(modem->ErrorNumber(), kestrel::PortLost);
        EXPECT_EQ(modem->SignalStrength(), -1);
        EXPECT_LT(clock.elapsed(), 1000);
        if (!inProcess)
            EXPECT_EQ(sim.recorded().size(), 2);
    }
}

TEST(KestrelSimulator, SendDelayComesBetweenMessagesNotBefore)
{
    QTemporaryDir logs;
    auto modem = testComponent(QStringLiteral("SIMULATOR"), logs.path());
    modem->Connect();
    modem->setSendDelay(150);
    QElapsedTimer clock;
    clock.start();
    modem->SendSMS(kNumber, QStringLiteral("1"), false);
    EXPECT_LT(clock.elapsed(), 100);
    modem->SendSMS(kNumber, QStringLiteral("2"), false);
    modem->SendSMS(kNumber, QStringLiteral("3"), false);
    EXPECT_GE(clock.elapsed(), 300);
    EXPECT_LT(clock.elapsed(), 1500);
    EXPECT_FALSE(modem->IsError(false, QString()));
}

TEST(KestrelSimulator, RefusedSettingsAreErrorsThatTheNextSendClears)
{
    QTemporaryDir logs;
    auto modem = testComponent(QStringLiteral("SIMULATOR"), logs.path());
    modem->Connect();
    const std::function<void()> refused[] = {
        [&] { modem->setValidity(QStringLiteral("2 Years")); },
        [&] { modem->setEncoding(1); },
        [&] { modem->setLongMessage(4); },
        [&] { modem->setSMSC(QStringLiteral("centre")); },
    };
    for (const auto &set : refused) {
        set();
        EXPECT_TRUE(modem->IsError(false, QString()));
        EXPECT_TRUE(modem->ErrorNumber() == kestrel::SettingUnsupported || modem->ErrorNumber() == kestrel::InvalidNumber);
        EXPECT_EQ(modem->SendSMS(kNumber, QStringLiteral("x"), false).isEmpty(), false);
        EXPECT_FALSE(modem->IsError(false, QString()));
    }
}

TEST(KestrelSimulator, WapPushServiceIndication)
{
    QTemporaryDir logs;
    auto modem = testComponent(QStringLiteral("SIMULATOR"), logs.path());
    modem->Connect();
    SmsWapPush &push = modem->WapPush();
    push.setPushLevel(2);
    push.setPushDate(0);
    push.setPushId(QStringLiteral("0"));
    push.setUrl(QStringLiteral("http://www.example.com/offer"));
    push.setText(QStringLiteral("Offer"));
    EXPECT_TRUE(push.IsLengthValid());
    push.setDestination(kNumber);
    EXPECT_EQ(push.Send(), QStringLiteral("0"));
    EXPECT_FALSE(modem->IsError(false, QString()));

    QFile record(QDir(logs.path()).filePath(QStringLiteral("SimulatorMessages.log")));
    ASSERT_TRUE(record.open(QIODevice::ReadOnly));
    const gsm::DecodedSubmit d = decoded(QString::fromUtf8(record.readLine()));
    EXPECT_EQ(d.coding, gsm::Coding::Data8);
    EXPECT_EQ(d.destinationPort, 2948);
    EXPECT_EQ(d.sourcePort, 9200);
    EXPECT_EQ(d.data.left(3).toHex(), QByteArray("010606"));
    EXPECT_TRUE(d.data.contains("example.com/offer"));
    EXPECT_TRUE(d.data.contains(QByteArray::fromHex("07"))); // signal-medium

    // Text and URL that do not fit one SMS.
    push.setText(QString(120, u'x'));
    EXPECT_FALSE(push.IsLengthValid());
    EXPECT_EQ(push.Send(), QString());
    EXPECT_EQ(modem->ErrorNumber(), kestrel::WapPushTooLong);
}

} // namespace
