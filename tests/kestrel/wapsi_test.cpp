#include "kestrel/wapsi.h"

#include <gtest/gtest.h>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

QByteArray str(const char *text)
{
    return QByteArray("\x03", 1) + QByteArray(text) + QByteArray(1, '\0');
}

TEST(WapSi, ServiceIndicationTokens)
{
    const QByteArray si = wap::serviceIndication(QStringLiteral("http://www.example.com/x"), QStringLiteral("Hi"),
                                                 wap::SiAction::SignalMedium, QStringLiteral("1"), QDateTime());
    // WBXML 1.2, SI 1.0, UTF-8, no string table; <si><indication href="http://www. ...
    // action=signal-medium (07) si-id (11) ...>Hi</indication></si>
    const QByteArray expected = hex("02056a0045c60d") + str("example.com/x") + hex("0711") + str("1")
                                + hex("01") + str("Hi") + hex("0101");
    EXPECT_EQ(si.toHex(), expected.toHex());
}

TEST(WapSi, UrlPrefixTokens)
{
    const struct { const char *url; char token; const char *rest; } cases[] = {
        {"http://a.b/", 0x0C, "a.b/"},
        {"https://a.b/", 0x0E, "a.b/"},
        {"http://www.a.b/", 0x0D, "a.b/"},
        {"HTTPS://WWW.a.b/", 0x0F, "a.b/"},
        {"wap.a.b", 0x0B, "wap.a.b"},
    };
    for (const auto &c : cases) {
        const QByteArray si = wap::serviceIndication(QString::fromLatin1(c.url), QString(), wap::SiAction::SignalLow, QString(), QDateTime());
        EXPECT_EQ(si.at(6), c.token) << c.url;
        EXPECT_EQ(si.mid(7, int(qstrlen(c.rest)) + 2), str(c.rest)) << c.url;
        EXPECT_EQ(si.mid(7 + int(qstrlen(c.rest)) + 2).toHex(), QByteArray("06010101")) << c.url; // signal-low, no text, three ENDs
    }
}

// The created date drops trailing zero octets; the push and port headers around the SI.
TEST(WapSi, CreatedDateWspPushAndPortHeader)
{
    EXPECT_EQ(wap::encodeDate(QDateTime(QDate(2026, 12, 6), QTime(17, 30, 0), Qt::UTC)).toHex(), QByteArray("202612061730"));
    EXPECT_EQ(wap::encodeDate(QDateTime(QDate(2002, 1, 1), QTime(0, 0, 0), Qt::UTC)).toHex(), QByteArray("20020101"));
    const QByteArray si = wap::serviceIndication(QStringLiteral("http://a"), QString(), wap::SiAction::SignalHigh, QString(),
                                                 QDateTime(QDate(2026, 12, 6), QTime(17, 30, 0), Qt::UTC));
    EXPECT_TRUE(si.contains(hex("08" "0ac306202612061730" "01"))) << si.toHex().constData();

    const QByteArray push = wap::wspPush(hex("0102"), 1);
    // TID, Push, headers length 6: application/vnd.wap.sic; charset=utf-8; X-Wap-Application-Id: wml.ua
    EXPECT_EQ(push.toHex(), QByteArray("010606" "03ae81ea" "af84" "0102"));
    // Application port addressing, 16-bit: destination 2948 (0B84), source 9200 (23F0).
    EXPECT_EQ(wap::wdpPortHeader().toHex(), QByteArray("05040b8423f0"));
}

} // namespace
