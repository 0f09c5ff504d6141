#include "modemsim/modemresponder.h"

#include "kestrel/gsmalphabet.h"
#include "kestrel/submitpdu.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace {

// Feeds lines to a responder and collects everything it answers.
class Dialogue
{
public:
    explicit Dialogue(const ModemConfig &config = {}) : m_modem(config)
    {
        QObject::connect(&m_modem, &ModemResponder::transmit, [this](const QByteArray &b) { m_out += b; });
        QObject::connect(&m_modem, &ModemResponder::messageReceived, [this](const ReceivedMessage &m) { messages << m; });
        QObject::connect(&m_modem, &ModemResponder::reportSent, [this](const SentReport &r) { reports << r; });
    }
    ModemResponder &modem() { return m_modem; }
    QByteArray say(const QByteArray &bytes)
    {
        m_out.clear();
        m_modem.receive(bytes);
        return take();
    }
    QByteArray take() { return std::exchange(m_out, {}); }
    QList<ReceivedMessage> messages;
    QList<SentReport> reports;

private:
    ModemResponder m_modem;
    QByteArray m_out;
};

QByteArray pduFor(const QString &number, const QString &text, int *length, bool statusReport = false)
{
    gsm::SubmitMessage m;
    m.destination = number;
    m.statusReport = statusReport;
    m.userData = gsm::toSeptets(text);
    gsm::SubmitPdu pdu;
    gsm::buildSubmit(m, &pdu, nullptr);
    *length = pdu.tpduLength;
    return pdu.hex;
}

struct Exchange { const char *in; const char *out; };

TEST(ModemResponder, AnswersLikeAModem)
{
    const Exchange script[] = {
        {"AT\r", "AT\r\r\nOK\r\n"},                         // echo is on at power-up
        {"ATE0\r", "ATE0\r\r\nOK\r\n"},
        {"AT\r", "\r\nOK\r\n"},
        {"AT+CGMI\r", "\r\nKestrel Labs\r\n\r\nOK\r\n"},
        {"at+cgmm\r", "\r\nSimModem 900\r\n\r\nOK\r\n"},     // commands are not case sensitive
        {"AT+CSQ\r", "\r\n+CSQ: 24,99\r\n\r\nOK\r\n"},
        {"AT+FOO\r", "\r\nERROR\r\n"},                        // unknown: ERROR
        {"AT+CMEE=1\r", "\r\nOK\r\n"},
        {"AT+CPIN=\"1234\"\r", "\r\n+CME ERROR: 3\r\n"},     // PIN when none is asked
        {"AT+CMEE=2\r", "\r\nOK\r\n"},
        {"AT+CPIN=\"1234\"\r", "\r\n+CME ERROR: operation not allowed\r\n"},
        {"AT+CPIN?\r", "\r\n+CPIN: READY\r\n\r\nOK\r\n"},
        {"AT+CREG?\r", "\r\n+CREG: 0,1\r\n\r\nOK\r\n"},
        {"AT+COPS?\r", "\r\n+COPS: 0,0,\"SIMNET\",0\r\n\r\nOK\r\n"},
        {"AT+COPS=3,2;+COPS?\r", "\r\n+COPS: 0,2,\"23415\",0\r\n\r\nOK\r\n"},
        {"ATE0V1+CMGF=0\r", "\r\nOK\r\n"},
        {"AT+CMGS=5\r", "\r\n+CMS ERROR: 304\r\n"},           // shorter than any SUBMIT
        {"AT+CMGS=12\r", "\r\n> "},
        {"\x1B", "\r\nOK\r\n"},                              // escape abandons the message
        {"garbage\r", ""},                                   // no AT prefix: ignored
        {"AT+CMGF=1\r", "\r\nOK\r\n"},
        {"AT+CMGS=12\r", "\r\n+CMS ERROR: 302\r\n"},         // text mode is not served
        // What clients such as Gammu, smstools and ModemManager send while setting up, answered
        // in the shapes of 27.007 and 27.005; whatever is not served is an ERROR, never a bare OK.
        {"ATZ\r", "\r\nOK\r\n"},
        {"ATE0\r", "ATE0\r\r\nOK\r\n"},
        {"ATI\r", "\r\nKestrel Labs\r\nSimModem 900\r\nRevision: SM900R01A01\r\n\r\nOK\r\n"},
        {"AT+CGSN\r", "\r\n356938035643809\r\n\r\nOK\r\n"},
        {"AT+CGMI=?\r", "\r\nOK\r\n"},                       // test form of an identity
        {"AT+CFUN=1\r", "\r\nOK\r\n"},
        {"AT+CSCS?\r", "\r\n+CSCS: \"IRA\"\r\n\r\nOK\r\n"},
        {"AT+CSCS=\"8859-1\"\r", "\r\nERROR\r\n"},
        {"AT+CSMS=1\r", "\r\n+CSMS: 1,1,1\r\n\r\nOK\r\n"},
        {"AT+CPMS=?\r", "\r\n+CPMS: (\"SM\",\"SR\"),(\"SM\"),(\"SM\")\r\n\r\nOK\r\n"},
        {"AT+CPMS=\"SM\",\"SM\"\r", "\r\n+CPMS: 0,30,0,30,0,30\r\n\r\nOK\r\n"},
        {"AT+CPMS?\r", "\r\n+CPMS: \"SM\",0,30,\"SM\",0,30,\"SM\",0,30\r\n\r\nOK\r\n"},
        {"AT+CNMI=2,1,2,1\r", "\r\nOK\r\n"},
        {"AT+CNMI=1,,,0\r", "\r\nOK\r\n"},                   // omitted values are kept
        {"AT+CNMI=0,0,1\r", "\r\nERROR\r\n"},                // <bm> 1 is not served: no change
        {"AT+CNMI?\r", "\r\n+CNMI: 1,1,2,0,0\r\n\r\nOK\r\n"},
        {"AT+CMMS=2;+CMMS?\r", "\r\n+CMMS: 2\r\n\r\nOK\r\n"},
        {"AT+CSCA?\r", "\r\n+CSCA: \"+447785016005\",145\r\n\r\nOK\r\n"},
        {"AT+CSCA=\"0123\",129;+CSCA?\r", "\r\n+CSCA: \"0123\",129\r\n\r\nOK\r\n"},
        // UCS2: strings go both ways as hex of UTF-16 code units.
        {"AT+CSCS=\"UCS2\";+CSCA?\r", "\r\n+CSCA: \"0030003100320033\",129\r\n\r\nOK\r\n"},
        {"AT+CSCA=\"002B0034\";+COPS?\r", "\r\n+COPS: 0,0,\"00530049004D004E00450054\",0\r\n\r\nOK\r\n"},
        {"AT+CSCA=\"+44\"\r", "\r\nERROR\r\n"},            // not hex in UCS2
        {"AT+CSCS=\"IRA\";+CSCA?\r", "\r\n+CSCA: \"+4\",145\r\n\r\nOK\r\n"},
        {"ATV1Q0&C1&D2\r", "\r\nOK\r\n"},
        {"AT+CLIP=1\r", "\r\nERROR\r\n"},                    // nor calls
        {"ATZ\r", "\r\nOK\r\n"},
        {"AT+CNMI?\r", "AT+CNMI?\r\r\n+CNMI: 0,0,0,0,0\r\n\r\nOK\r\n"}, // echo and settings reset
    };
    Dialogue d;
    for (const Exchange &e : script)
        EXPECT_EQ(d.say(e.in), QByteArray(e.out)) << e.in;
}

TEST(ModemResponder, PinLocksTheSimUntilGiven)
{
    ModemConfig config;
    config.pin = QStringLiteral("1234");
    Dialogue d(config);
    const Exchange script[] = {
        {"ATE0+CMEE=1\r", "ATE0+CMEE=1\r\r\nOK\r\n"},
        {"AT+CPIN?\r", "\r\n+CPIN: SIM PIN\r\n\r\nOK\r\n"},
        {"AT+CIMI\r", "\r\n+CME ERROR: 11\r\n"},
        {"AT+CREG?\r", "\r\n+CREG: 0,0\r\n\r\nOK\r\n"},
        {"AT+CPIN=\"0000\"\r", "\r\n+CME ERROR: 16\r\n"},
        {"AT+CPIN=1234\r", "\r\nOK\r\n"},
        {"AT+CPIN?\r", "\r\n+CPIN: READY\r\n\r\nOK\r\n"},
        {"AT+CIMI\r", "\r\n234150999999999\r\n\r\nOK\r\n"},
    };
    for (const Exchange &e : script)
        EXPECT_EQ(d.say(e.in), QByteArray(e.out)) << e.in;

    // Three wrong PINs block the SIM: the right one no longer helps.
    Dialogue blocked(config);
    blocked.say("ATE0+CMEE=1\r");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(blocked.say("AT+CPIN=\"1111\"\r"), QByteArray("\r\n+CME ERROR: 16\r\n"));
    EXPECT_EQ(blocked.say("AT+CPIN?\r"), QByteArray("\r\n+CPIN: SIM PUK\r\n\r\nOK\r\n"));
    EXPECT_EQ(blocked.say("AT+CPIN=\"1234\"\r"), QByteArray("\r\n+CME ERROR: 16\r\n"));
}

// Refusals by number and the dropped line are met by the driver tests; here what no driver sends.
TEST(ModemResponder, AcceptsAMessageAndRefusesAPduThatIsNotOne)
{
    Dialogue d;
    d.say("ATE0\r");
    int length = 0;
    const QByteArray good = pduFor(QStringLiteral("+447700900123"), QStringLiteral("Hi"), &length);
    const QByteArray cmgs = "AT+CMGS=" + QByteArray::number(length) + "\r";
    EXPECT_EQ(d.say(cmgs), QByteArray("\r\n> "));
    EXPECT_EQ(d.say(good + "\x1A"), QByteArray("\r\n+CMGS: 0\r\n\r\nOK\r\n"));
    ASSERT_EQ(d.messages.size(), 1);
    EXPECT_EQ(d.messages[0].number, QStringLiteral("+447700900123"));
    EXPECT_EQ(d.messages[0].text, QStringLiteral("Hi"));
    // A length that disagrees with the PDU, and a PDU that is not hex.
    d.say("AT+CMGS=" + QByteArray::number(length + 1) + "\r");
    EXPECT_EQ(d.say(good + "\x1A"), QByteArray("\r\n+CMS ERROR: 304\r\n"));
    d.say(cmgs);
    EXPECT_EQ(d.say("ZZ\x1A"), QByteArray("\r\n+CMS ERROR: 304\r\n"));
    EXPECT_EQ(d.messages.size(), 1);
}

void settle(int ms = 30)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Reports come only for messages that ask for one, after the answer, with the configured
// shares; the same seed gives the same outcomes, and a lost report sends nothing.
TEST(ModemResponder, StatusReportsFollowTheSharesAndTheSeed)
{
    ModemConfig config;
    config.reportDelayMs = 0;
    config.failedShare = 30;
    config.expiredShare = 20;
    config.lostShare = 10;
    config.reportSeed = 42;
    int length = 0;
    const QByteArray asking = pduFor(QStringLiteral("+447700900123"), QStringLiteral("x"), &length, true);
    const QByteArray plain = pduFor(QStringLiteral("+447700900123"), QStringLiteral("x"), &length);
    QStringList outcomes[2];
    for (QStringList &seen : outcomes) {
        Dialogue d(config);
        d.say("ATE0;+CNMI=2,0,0,1,0\r");
        QByteArray out;
        for (int i = 0; i < 60; ++i) {
            d.say("AT+CMGS=" + QByteArray::number(length) + "\r");
            out += d.say((i % 6 == 5 ? plain : asking) + "\x1A"); // every sixth asks for none
            settle(1);
            out += d.take();
        }
        settle();
        out += d.take();
        for (const SentReport &r : d.reports)
            seen << r.status;
        EXPECT_EQ(seen.size(), 50);
        EXPECT_EQ(out.count("+CDS:"), 50 - seen.count(QStringLiteral("lost")));
        for (const char *status : {"delivered", "failed", "expired", "lost"})
            EXPECT_GT(seen.count(QLatin1String(status)), 0) << status;
        EXPECT_LT(seen.count(QStringLiteral("delivered")), 35); // about 40% of 50
    }
    EXPECT_EQ(outcomes[0], outcomes[1]);
}

} // namespace