#include "gateway/dlrlistener.h"
#include "gateway/kannelrequest.h"
#include "gateway/kannelsender.h"
#include "kannelprocesses.h"
#include "modemsimprocess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSet>
#include <QStringDecoder>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrlQuery>
#include <optional>
#include <gtest/gtest.h>

namespace {

KannelRoute route(const QUrl &url, const QString &password = QStringLiteral("s3cret"))
{
    KannelRoute r;
    r.sendsmsUrl = url;
    r.user = QStringLiteral("quillo");
    r.password = password;
    r.sender = QStringLiteral("Quillo");
    return r;
}

// Runs the event loop until done() or ms pass.
template<typename Done>
bool waitUntil(Done done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
}

} // namespace

TEST(KannelRequest, CarriesTextCodingAndOptionsAsKannelReadsThem)
{
    KannelRoute r = route(QUrl(QStringLiteral("http://gw:13013/cgi-bin/sendsms")));
    r.smscId = QStringLiteral("modem1");
    r.validityMinutes = 60;
    r.priority = 2;
    const KannelMessage gsm{QStringLiteral("+919812345678"), QStringLiteral("Fee 1,200 & due {5 Jan}\r\n€"), false,
                            false, {}};
    const QUrlQuery query(kannel::buildRequest(r, gsm).url);
    EXPECT_EQ(query.queryItemValue(QStringLiteral("to"), QUrl::FullyDecoded), gsm.to);
    EXPECT_EQ(query.queryItemValue(QStringLiteral("text"), QUrl::FullyDecoded), gsm.text);
    EXPECT_EQ(query.queryItemValue(QStringLiteral("coding")), QStringLiteral("0"));
    EXPECT_EQ(query.queryItemValue(QStringLiteral("charset")), QStringLiteral("UTF-8"));
    EXPECT_EQ(query.queryItemValue(QStringLiteral("smsc")), QStringLiteral("modem1"));
    EXPECT_EQ(query.queryItemValue(QStringLiteral("validity")), QStringLiteral("60"));
    EXPECT_EQ(query.queryItemValue(QStringLiteral("priority")), QStringLiteral("2"));
    EXPECT_FALSE(query.hasQueryItem(QStringLiteral("mclass")));
    EXPECT_FALSE(query.hasQueryItem(QStringLiteral("dlr-mask")));

    const KannelMessage flash{QStringLiteral("1"), QStringLiteral("Привет"), true, true,
                              QStringLiteral("http://127.0.0.1:9/dlr?run=a&pos=3&type=%d")};
    const HttpRequest post = [&] {
        KannelRoute p = r;
        p.post = true;
        return kannel::buildRequest(p, flash);
    }();
    EXPECT_EQ(post.body, flash.text.toUtf8());
    EXPECT_FALSE(post.url.hasQuery()) << "the password must not travel in a POST's URL";
    QMap<QByteArray, QByteArray> headers;
    for (const auto &[name, value] : post.headers)
        headers.insert(name, value);
    EXPECT_EQ(headers.value("X-Kannel-Coding"), "2");
    EXPECT_EQ(headers.value("X-Kannel-MClass"), "0");
    EXPECT_EQ(headers.value("X-Kannel-DLR-Mask"), "31");
    EXPECT_EQ(headers.value("X-Kannel-DLR-URL"), "http://127.0.0.1:9/dlr?run=a&pos=3&type=%d");
    EXPECT_EQ(headers.value("X-Kannel-Password"), "s3cret");

    EXPECT_FALSE(kannel::loggable(kannel::buildRequest(r, gsm).url).contains(QLatin1String("s3cret")));
}

TEST(KannelRequest, AnswersMeanWhatSmsboxMeans)
{
    const struct
    {
        int status;
        QByteArray body;
        kannel::Verdict verdict;
    } cases[] = {
        {202, "0: Accepted for delivery", kannel::Verdict::Accepted},
        {202, "3: Queued for later delivery", kannel::Verdict::Queued},
        {202, "Sent.", kannel::Verdict::Accepted},
        {403, "Authorization failed for sendsms", kannel::Verdict::Forbidden},
        {403, "Not routable. Do not try again.", kannel::Verdict::Refused},
        {503, "Temporal failure, try again later.", kannel::Verdict::TryLater},
        {400, "Sender missing and no global set, rejected", kannel::Verdict::Refused},
        {500, "Sending failed.", kannel::Verdict::Refused},
    };
    for (const auto &c : cases) {
        const kannel::Answer answer = kannel::readAnswer(c.status, c.body);
        EXPECT_EQ(answer.verdict, c.verdict) << c.body.constData();
        EXPECT_EQ(answer.text, QString::fromUtf8(c.body));
    }
    const struct
    {
        int type;
        const char *answer;
        DlrListener::Status status;
    } reports[] = {
        {1, "id:1 stat:DELIVRD", DlrListener::Status::Delivered},
        {2, "id:1 stat:UNDELIV err:001", DlrListener::Status::Failed},
        {2, "id:1 stat:EXPIRED", DlrListener::Status::Expired},
        {16, "", DlrListener::Status::Failed},
        {8, "ACK/", DlrListener::Status::Pending},
        {4, "", DlrListener::Status::Pending},
    };
    for (const auto &r : reports)
        EXPECT_EQ(DlrListener::statusOf(r.type, QString::fromLatin1(r.answer)), r.status) << r.type << r.answer;
}

class RealKannel : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!KannelProcesses::installed())
            GTEST_SKIP() << "kannel and kannel-extras are not installed (scripts/install-deps installs them)";
        const QString why = m_kannel.start();
        ASSERT_TRUE(why.isEmpty()) << why.toStdString();
    }

    // Sends one message per text; returns the outcome of each by id.
    QMap<int, KannelSender::Outcome> sendAll(KannelSender &sender, const QList<KannelMessage> &messages, int ms = 60000)
    {
        QMap<int, KannelSender::Outcome> outcomes;
        QObject::connect(&sender, &KannelSender::finished, [&](int id, KannelSender::Outcome outcome, const QString &) {
            EXPECT_FALSE(outcomes.contains(id)) << "message " << id << " answered twice";
            outcomes.insert(id, outcome);
        });
        int next = 0;
        waitUntil([&] {
            while (next < messages.size() && sender.hasRoom()) {
                sender.send(next, messages[next]);
                ++next;
            }
            return outcomes.size() == messages.size();
        }, ms);
        return outcomes;
    }

    KannelProcesses m_kannel;
};

TEST_F(RealKannel, EveryMessageArrivesOnceWithItsText)
{
    KannelSender sender(route(m_kannel.sendsmsUrl()));
    QList<KannelMessage> messages;
    for (int i = 0; i < 1000; ++i)
        messages.append({QStringLiteral("+9198%1").arg(10000000 + i), QStringLiteral("Hello %1").arg(i), false, false, {}});
    messages[7].text = QStringLiteral("Привет");
    messages[7].ucs2 = true;
    const auto outcomes = sendAll(sender, messages);
    ASSERT_EQ(outcomes.size(), messages.size());
    EXPECT_EQ(outcomes.values().count(KannelSender::Outcome::Sent), messages.size());
    // POST: the text as the body, the options in X-Kannel headers.
    KannelRoute post = route(m_kannel.sendsmsUrl());
    post.post = true;
    KannelSender postSender(post);
    const KannelMessage posted{QStringLiteral("+919900000001"), QStringLiteral("Привет & POST"), true, false, {}};
    EXPECT_EQ(sendAll(postSender, {posted}).value(0), KannelSender::Outcome::Sent);
    messages.append(posted);

    ASSERT_TRUE(m_kannel.waitForReceived(int(messages.size()), 30000)) << m_kannel.received().size();
    QSet<QString> seen;
    for (const auto &got : m_kannel.received()) {
        EXPECT_FALSE(seen.contains(got.to)) << "twice: " << got.to.toStdString();
        seen.insert(got.to);
        EXPECT_EQ(got.from, QStringLiteral("Quillo"));
    }
    EXPECT_EQ(seen.size(), messages.size());
    const auto unicode = std::find_if(m_kannel.received().cbegin(), m_kannel.received().cend(),
                                      [&](const auto &r) { return r.to == messages[7].to; });
    EXPECT_EQ(unicode->coding, QStringLiteral("ucs-2"));
    const auto viaPost = std::find_if(m_kannel.received().cbegin(), m_kannel.received().cend(),
                                      [&](const auto &r) { return r.to == posted.to; });
    ASSERT_NE(viaPost, m_kannel.received().cend());
    // fakesmsc shows UCS-2 as form-encoded UTF-16BE.
    EXPECT_EQ(QString(QStringDecoder(QStringDecoder::Utf16BE)(QByteArray::fromPercentEncoding(viaPost->text.toLatin1().replace('+', ' ')))),
              posted.text);
}

TEST_F(RealKannel, AWrongPasswordSendsNothing)
{
    KannelSender sender(route(m_kannel.sendsmsUrl(), QStringLiteral("wrong")));
    const auto outcomes = sendAll(sender, {{QStringLiteral("+919812345678"), QStringLiteral("x"), false, false, {}}});
    EXPECT_EQ(outcomes.value(0), KannelSender::Outcome::Forbidden);
    EXPECT_FALSE(m_kannel.waitForReceived(1, 1000));
}

TEST_F(RealKannel, DeliveryReportsComeBackForEachMessage)
{
    DlrListener listener;
    ASSERT_TRUE(listener.listen(0)) << listener.error().toStdString();
    QMap<int, QList<DlrListener::Status>> reports;
    QObject::connect(&listener, &DlrListener::report,
                     [&](const QString &run, int position, DlrListener::Status status, const QString &) {
                         EXPECT_EQ(run, QStringLiteral("run-20261207-045439-2.journal"));
                         reports[position].append(status);
                     });
    KannelSender sender(route(m_kannel.sendsmsUrl()));
    QList<KannelMessage> messages;
    for (int i = 0; i < 3; ++i)
        messages.append({QStringLiteral("+44770090012%1").arg(i), QStringLiteral("DLR"), false, false,
                         listener.reportUrl(QStringLiteral("run-20261207-045439-2.journal"), i)});
    EXPECT_EQ(sendAll(sender, messages).size(), 3);
    // The fake SMSC reports each message accepted by the SMSC, then delivered.
    // Kannel calls back for each report at once, so "accepted" may come after "delivered".
    const auto both = [&](int i) {
        return reports.value(i).contains(DlrListener::Status::Pending)
               && reports.value(i).contains(DlrListener::Status::Delivered);
    };
    EXPECT_TRUE(waitUntil([&] { return both(0) && both(1) && both(2); }, 15000));
}

// Only a request of which no byte left counts as not sent; one written on a connection that
// then closed may have been acted on, even when the client's quiet second attempt then
// finds nothing listening.
TEST(KannelGone, NotSentOnlyWhenNoRequestLeft)
{
    const auto outcomeOf = [](KannelSender &sender, int id) {
        std::optional<KannelSender::Outcome> outcome;
        QObject::connect(&sender, &KannelSender::finished, [&](int answered, KannelSender::Outcome o, const QString &) {
            if (answered == id)
                outcome = o;
        });
        sender.send(id, {QStringLiteral("1"), QStringLiteral("x"), false, false, {}});
        EXPECT_TRUE(waitUntil([&] { return outcome.has_value(); }, 10000));
        return outcome.value_or(KannelSender::Outcome::Sent);
    };
    {
        KannelSender sender(route(QUrl(QStringLiteral("http://127.0.0.1:1/cgi-bin/sendsms"))));
        EXPECT_EQ(outcomeOf(sender, 0), KannelSender::Outcome::Unreachable);
    }
    // Answers the first request and keeps the connection; takes the second and goes away.
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    int requests = 0;
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        QTcpSocket *socket = server.nextPendingConnection();
        QObject::connect(socket, &QTcpSocket::readyRead, [&, socket] {
            if (!socket->peek(4096).contains("\r\n\r\n"))
                return;
            socket->readAll();
            if (++requests == 1) {
                socket->write("HTTP/1.1 202 Accepted\r\nContent-Length: 24\r\n\r\n0: Accepted for delivery");
                return;
            }
            server.close();
            socket->abort();
        });
    });
    KannelSender sender(route(QUrl(QStringLiteral("http://127.0.0.1:%1/cgi-bin/sendsms").arg(server.serverPort()))));
    EXPECT_EQ(outcomeOf(sender, 0), KannelSender::Outcome::Sent);
    EXPECT_EQ(outcomeOf(sender, 1), KannelSender::Outcome::Uncertain);
    EXPECT_EQ(requests, 2);
}

// Kannel's own AT driver, pointed at the simulated modem, sends through it.
TEST(KannelAtDriver, SendsThroughTheSimulatedModem)
{
    if (!KannelProcesses::installed())
        GTEST_SKIP() << "kannel and kannel-extras are not installed (scripts/install-deps installs them)";
    ModemSimProcess modem;
    ASSERT_TRUE(modem.start());
    KannelProcesses kannel;
    const QString at = QStringLiteral("group = smsc\nsmsc = at\nsmsc-id = modem\ndevice = %1\nmodemtype = generic\n"
                                      "speed = 115200\n\ngroup = modems\nid = generic\nname = \"Generic Modem\"\n\n")
                           .arg(modem.port());
    const QString why = kannel.start(at);
    ASSERT_TRUE(why.isEmpty()) << why.toStdString();
    KannelRoute r = route(kannel.sendsmsUrl());
    r.smscId = QStringLiteral("modem");
    KannelSender sender(r);
    bool sent = false;
    QObject::connect(&sender, &KannelSender::finished,
                     [&](int, KannelSender::Outcome o, const QString &) { sent = o == KannelSender::Outcome::Sent; });
    sender.send(0, {QStringLiteral("+919812345678"), QStringLiteral("Through Kannel's AT driver"), false, false, {}});
    ASSERT_TRUE(waitUntil([&] { return sent; }, 10000));
    ASSERT_TRUE(waitUntil([&] { return !modem.recorded().isEmpty(); }, 20000)) << "the modem got nothing";
    EXPECT_TRUE(modem.recorded().first().contains(QLatin1String("\"text\":\"Through Kannel's AT driver\"")))
        << modem.recorded().first().toStdString();
}
