#include "gateway/dlrlistener.h"
#include "gateway/kannelrequest.h"
#include "gateway/kannelsender.h"
#include "kannelprocesses.h"
#include "modemsimprocess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
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

// GET and POST through a real Kannel: the sender, the coding and the text arrive as given.
TEST(RealKannel, EachMessageArrivesWithItsText)
{
    if (!KannelProcesses::installed())
        GTEST_SKIP() << "kannel and kannel-extras are not installed (scripts/install-deps installs them)";
    KannelProcesses kannel;
    const QString why = kannel.start();
    ASSERT_TRUE(why.isEmpty()) << why.toStdString();
    KannelRoute post = route(kannel.sendsmsUrl());
    post.post = true;
    KannelSender getSender(route(kannel.sendsmsUrl())), postSender(post);
    const QList<std::pair<KannelSender *, KannelMessage>> messages{
        {&getSender, {QStringLiteral("+919800000001"), QStringLiteral("Hello"), false, false, {}}},
        {&getSender, {QStringLiteral("+919800000002"), QStringLiteral("Привет"), true, false, {}}},
        {&postSender, {QStringLiteral("+919900000001"), QStringLiteral("Привет & POST"), true, false, {}}},
    };
    int sent = 0;
    for (KannelSender *sender : {&getSender, &postSender})
        QObject::connect(sender, &KannelSender::finished,
                         [&](int, KannelSender::Outcome o, const QString &) { sent += o == KannelSender::Outcome::Sent; });
    for (int i = 0; i < messages.size(); ++i)
        messages[i].first->send(i, messages[i].second);
    EXPECT_TRUE(waitUntil([&] { return sent == messages.size(); }, 20000));
    ASSERT_TRUE(kannel.waitForReceived(int(messages.size()), 30000)) << kannel.received().size();
    for (const auto &[sender, message] : messages) {
        const auto got = std::find_if(kannel.received().cbegin(), kannel.received().cend(),
                                      [&](const auto &r) { return r.to == message.to; });
        ASSERT_NE(got, kannel.received().cend()) << message.to.toStdString();
        EXPECT_EQ(got->from, QStringLiteral("Quillo"));
        EXPECT_EQ(got->coding, message.ucs2 ? QStringLiteral("ucs-2") : QStringLiteral("text"));
        // fakesmsc shows UCS-2 as form-encoded UTF-16BE.
        if (message.ucs2)
            EXPECT_EQ(QString(QStringDecoder(QStringDecoder::Utf16BE)(
                          QByteArray::fromPercentEncoding(got->text.toLatin1().replace('+', ' ')))),
                      message.text);
    }
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
