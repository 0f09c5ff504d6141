#include "kestrel/gsmalphabet.h"
#include "kestrel/submitdecoder.h"
#include "kestrel/submitpdu.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

TEST(SubmitPdu, AddressEncoding)
{
    const struct
    {
        const char *number;
        bool serviceCentre;
        const char *hex; // empty: refused
    } cases[] = {
        {"+46708251358", false, "0b916407281553f8"},
        {"46708251358", false, "0b816407281553f8"},
        {"+44 7700-900 123", false, "0c91447700091032"},
        {"*100#", false, "05811a00fb"},
        // The service centre counts octets (type included), not digits.
        {"+447785016005", true, "07914477581006" "50"},
        {"", false, ""},
        {"+", false, ""},
        {"0800-CALL", false, ""},
        {"123456789012345678901", false, ""},
    };
    for (const auto &c : cases) {
        QString error;
        const QByteArray encoded = gsm::encodeAddress(QString::fromLatin1(c.number), c.serviceCentre, &error);
        EXPECT_EQ(encoded.toHex(), QByteArray(c.hex)) << c.number;
        EXPECT_EQ(error.isEmpty(), QByteArray(c.hex).size() > 0) << c.number;
    }
}

gsm::SubmitMessage textMessage(const QString &text, gsm::Coding coding = gsm::Coding::Gsm7)
{
    gsm::SubmitMessage m;
    m.destination = QStringLiteral("+46708251358");
    m.coding = coding;
    if (coding == gsm::Coding::Gsm7) {
        m.userData = gsm::toSeptets(text);
    } else {
        for (const QChar ch : text) {
            m.userData.append(char(ch.unicode() >> 8));
            m.userData.append(char(ch.unicode() & 0xFF));
        }
    }
    return m;
}

TEST(SubmitPdu, BuildsStandardLayouts)
{
    auto withValidity = [](gsm::SubmitMessage m, int vp) { m.validity = vp; return m; };
    auto flash = [](gsm::SubmitMessage m) { m.flash = true; return m; };
    auto viaSmsc = [](gsm::SubmitMessage m) { m.smsc = QStringLiteral("+447785016005"); return m; };
    auto reported = [](gsm::SubmitMessage m) { m.statusReport = true; return m; };
    const struct { const char *name; gsm::SubmitMessage message; const char *hex; int tpduLength; } cases[] = {
        // The classic worked example: "hellohello", relative validity AA (4 days).
        {"7-bit with validity", withValidity(textMessage(QStringLiteral("hellohello")), 0xAA),
         "0011000B916407281553F80000AA0AE8329BFD4697D9EC37", 23},
        {"7-bit, no validity field", textMessage(QStringLiteral("hellohello")),
         "0001000B916407281553F800000AE8329BFD4697D9EC37", 22},
        {"status report asked: TP-SRR", reported(withValidity(textMessage(QStringLiteral("hellohello")), 0xAA)),
         "0031000B916407281553F80000AA0AE8329BFD4697D9EC37", 23},
        {"flash 7-bit is class 0", flash(textMessage(QStringLiteral("Hello"))),
         "0001000B916407281553F8001005C8329BFD06", 18},
        {"UCS2", textMessage(QString::fromUtf16(u"Привет"), gsm::Coding::Ucs2),
         "0001000B916407281553F800080C041F04400438043204350442", 25},
        {"flash UCS2", flash(textMessage(QStringLiteral("A"), gsm::Coding::Ucs2)),
         "0001000B916407281553F80018020041", 15},
        {"own service centre", viaSmsc(textMessage(QStringLiteral("Hello"))),
         "079144775810065001000B916407281553F8000005C8329BFD06", 18},
        {"extension character", textMessage(QStringLiteral("€")),
         "0001000B916407281553F80000029B32", 15},
    };
    for (const auto &c : cases) {
        gsm::SubmitPdu pdu;
        QString error;
        ASSERT_TRUE(gsm::buildSubmit(c.message, &pdu, &error)) << c.name << error.toStdString();
        EXPECT_EQ(pdu.hex.toStdString(), std::string(c.hex)) << c.name;
        EXPECT_EQ(pdu.tpduLength, c.tpduLength) << c.name;
    }
}

TEST(SubmitPdu, HeaderSetsUdhiAndFillBits)
{
    gsm::SubmitMessage m = textMessage(QStringLiteral("Hi"));
    m.header = QByteArray::fromHex("0003420201");
    gsm::SubmitPdu pdu;
    ASSERT_TRUE(gsm::buildSubmit(m, &pdu, nullptr));
    // 41: SUBMIT + UDHI; UDL 9 = 7 header septets + 2; "H" starts after one fill bit.
    EXPECT_EQ(pdu.hex, QByteArray("0041000B916407281553F80000090500034202019069"));
    gsm::DecodedSubmit back;
    QString error;
    ASSERT_TRUE(gsm::decodeSubmit(pdu.hex, pdu.tpduLength, &back, &error)) << error.toStdString();
    EXPECT_EQ(back.text, QStringLiteral("Hi"));
    EXPECT_EQ(back.concatRef, 0x42);
    EXPECT_EQ(back.concatTotal, 2);
    EXPECT_EQ(back.concatSeq, 1);
}

TEST(SubmitPdu, RefusesUserDataBeyondOneSms)
{
    gsm::SubmitPdu pdu;
    QString error;
    EXPECT_TRUE(gsm::buildSubmit(textMessage(QString(160, u'a')), &pdu, &error));
    EXPECT_FALSE(gsm::buildSubmit(textMessage(QString(161, u'a')), &pdu, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(gsm::buildSubmit(textMessage(QString(70, u'ж'), gsm::Coding::Ucs2), &pdu, &error));
    EXPECT_FALSE(gsm::buildSubmit(textMessage(QString(71, u'ж'), gsm::Coding::Ucs2), &pdu, &error));
    gsm::SubmitMessage bad = textMessage(QStringLiteral("x"));
    bad.destination = QStringLiteral("not a number");
    EXPECT_FALSE(gsm::buildSubmit(bad, &pdu, &error));
}

TEST(SubmitDecoder, RejectsMalformedPdus)
{
    const struct { const char *hex; int length; } bad[] = {
        {"", -1}, {"0", -1}, {"00ZZ", -1}, {"0001", -1},
        {"0001000B916407281553F80000AA0AE8", -1},        // user data cut short
        {"0002000B916407281553F800000AE8329BFD4697D9EC37", -1}, // not a SUBMIT
        {"0001000B916407281553F800000AE8329BFD4697D9EC37", 21}, // length disagrees
        {"0F01", -1},                                     // SMSC longer than the PDU
    };
    for (const auto &b : bad) {
        gsm::DecodedSubmit d;
        QString error;
        EXPECT_FALSE(gsm::decodeSubmit(b.hex, b.length, &d, &error)) << b.hex;
        EXPECT_FALSE(error.isEmpty()) << b.hex;
    }
}

TEST(SubmitDecoder, RandomInputGivesResultOrErrorNeverACrash)
{
    QRandomGenerator random(20261206);
    for (int i = 0; i < 20000; ++i) {
        QByteArray bytes(int(random.bounded(60)), '\0');
        for (char &b : bytes)
            b = char(random.bounded(256));
        // Keep the plausible start so the fuzzing reaches the deeper fields.
        if (bytes.size() > 2 && i % 2 == 0) {
            bytes[0] = 0;
            bytes[1] = char((uchar(bytes[1]) & 0xFC) | 0x01);
        }
        gsm::DecodedSubmit d;
        QString error;
        const bool ok = gsm::decodeSubmit(bytes.toHex(), -1, &d, &error);
        EXPECT_TRUE(ok || !error.isEmpty());
    }
}

} // namespace
