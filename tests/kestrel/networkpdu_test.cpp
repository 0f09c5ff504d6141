// What the network sends a modem: status reports and delivered messages, read from real
// PDUs, and the parts of concatenated messages joined.

#include "kestrel/deliverpdu.h"
#include "kestrel/gsmalphabet.h"
#include "kestrel/messagejoiner.h"
#include "kestrel/statusreport.h"

#include <gtest/gtest.h>

namespace {

using gsm::DeliveryStatus;

QDateTime at(const char *iso)
{
    return QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODate);
}

TEST(StatusReport, DecodesEachOutcome)
{
    const struct
    {
        const char *name;
        const char *pdu;
        int reference;
        const char *recipient;
        const char *submitted, *discharged;
        DeliveryStatus outcome;
        const char *reason;
    } cases[] = {
        // Gammu tests/at-sms/30.dump (+CMGR of a stored report).
        {"delivered", "079124603050020006E80C91666666666666909070618422809090706184628000", 0xE8, "+666666666666",
         "2009-09-07T16:48:22+02:00", "2009-09-07T16:48:26+02:00", DeliveryStatus::Delivered,
         "Short message received by the SME"},
        // ModemManager src/tests/test-sms-part-3gpp.c, test_pdu_not_stored: TP-ST 0x30, a
        // service centre's own "still trying", and a recipient of unknown type (no "+").
        {"pending", "07914356060013F1065A098136397339F7219011700463802190117004638030", 0x5A, "639337937",
         "2012-09-11T07:40:36+02:00", "2012-09-11T07:40:36+02:00", DeliveryStatus::Pending,
         "Service centre specific status 0x30"},
        // Gammu's 30.dump with TP-ST 0x62: a temporary error the centre stopped retrying.
        {"failed with the network's reason", "079124603050020006E80C91666666666666909070618422809090706184628062", 0xE8,
         "+666666666666", "2009-09-07T16:48:22+02:00", "2009-09-07T16:48:26+02:00", DeliveryStatus::Failed,
         "No response from SME"},
        // The same with TP-ST 0x46, and with the TP-PI octets some centres add after TP-ST.
        {"expired", "079124603050020006E80C91666666666666909070618422809090706184628046000000", 0xE8, "+666666666666",
         "2009-09-07T16:48:22+02:00", "2009-09-07T16:48:26+02:00", DeliveryStatus::Expired, "SM validity period expired"},
    };
    for (const auto &c : cases) {
        gsm::StatusReport r;
        QString error;
        ASSERT_TRUE(gsm::decodeStatusReport(c.pdu, &r, &error)) << c.name << ": " << error.toStdString();
        EXPECT_EQ(r.reference, c.reference) << c.name;
        EXPECT_EQ(r.recipient, QLatin1String(c.recipient)) << c.name;
        EXPECT_EQ(r.submitted, at(c.submitted)) << c.name;
        EXPECT_EQ(r.submitted.offsetFromUtc(), at(c.submitted).offsetFromUtc()) << c.name;
        EXPECT_EQ(r.discharged, at(c.discharged)) << c.name;
        EXPECT_EQ(r.outcome, c.outcome) << c.name;
        EXPECT_EQ(r.reason.toStdString(), c.reason) << c.name;
    }
}

TEST(StatusReport, StatusRangesFollowTheirKind)
{
    const struct { int st; DeliveryStatus outcome; } cases[] = {
        {0x02, DeliveryStatus::Delivered}, {0x1F, DeliveryStatus::Delivered}, {0x21, DeliveryStatus::Pending},
        {0x40, DeliveryStatus::Failed},    {0x45, DeliveryStatus::Failed},    {0x47, DeliveryStatus::Failed},
        {0x7F, DeliveryStatus::Failed},    {0x80, DeliveryStatus::Failed},
    };
    for (const auto &c : cases)
        EXPECT_EQ(gsm::deliveryStatus(c.st), c.outcome) << c.st;
    EXPECT_EQ(gsm::statusReason(0x9A), QStringLiteral("Reserved status 0x9A"));
}

TEST(StatusReport, DamagedReportsNameTheField)
{
    const struct { const char *pdu; const char *error; } cases[] = {
        {"079124603050020006E80C9166666666666690907061842280909070618462", "TP-DT"},
        {"079124603050020006E80C916666666666669090706184228090907061846280", "TP-ST"},
        {"0791246030500200", "first octet"},
        // A DELIVER is not a report.
        {"07912143658709F1040B918100551512F20000111010214365000AE8329BFD4697D9EC37", "not an SMS-STATUS-REPORT"},
        // Month 13.
        {"079124603050020006E80C91666666666666903170618422809090706184628000", "TP-SCTS is not a valid time stamp"},
        {"0G", "not hex"},
    };
    for (const auto &c : cases) {
        gsm::StatusReport r;
        QString error;
        EXPECT_FALSE(gsm::decodeStatusReport(c.pdu, &r, &error)) << c.pdu;
        EXPECT_TRUE(error.contains(QLatin1String(c.error))) << c.pdu << ": " << error.toStdString();
    }
}

// ModemManager src/tests/test-sms-part-3gpp.c, test_pdu_multipart: a message in two parts,
// 8-bit reference 0x4C.
const char kPart1[] = "07912160130320F5440B916171056429F5000021405291650569A00500034C0201A9E8F41C949E"
                      "83C2207B599E07B1DFEE33885E9ED341E4F23C7D7697C920FA1B54C697E5E3F4BC0C6AD7D9F434"
                      "081E96D341E3303C2C4EB3D3F4BC0B94A483E6E8779D4D06CDD1EF3BA80E0785E7A0B7BB0C6A97"
                      "E7F3F0B9CC02B9DF7450780EA2DFDF2C50780EA2A3CBA0BA9B5C96B3F369F71954768FDFE4B4FB"
                      "0C9297E1F2F2BCECA6CF41";
const char kPart2[] = "07912160130320F6440B916171056429F5000021405291651569320500034C0202E9E8301D4447"
                      "9741F0B09C3E0785E56590BCCC0ED3CB6410FD0D7ABBCBA0B0FB4D4797E52E10";
const char kWholeText[] = "This is a very long test designed to exercise multi part capability. It should "
                          "show up as one message, not as two, as the underlying encoding represents "
                          "that the parts are related to one another. ";

TEST(DeliverPdu, DecodesRealMessages)
{
    const struct
    {
        const char *name;
        const char *pdu;
        const char *sender;
        const char *sent;
        gsm::Coding coding;
        const char16_t *text;
        int ref, total, seq;
    } cases[] = {
        // ModemManager's test_pdu3: 7-bit "hellohello".
        {"7-bit", "07912143658709F1040B918100551512F20000111010214365000AE8329BFD4697D9EC37", "+18005551212",
         "2011-01-01T12:34:56Z", gsm::Coding::Gsm7, u"hellohello", -1, 0, 0},
        // ModemManager's test_pdu2: UCS2 from an alphanumeric sender, zone +04:00.
        {"UCS2, alphanumeric sender", "07919730071111F10414D04937BD2C7797E9D3E6140008113092910240610804420435044104" "42",
         "InternetSMS", "2011-03-29T19:20:04+04:00", gsm::Coding::Ucs2, u"тест", -1, 0, 0},
        {"concatenated, second part", kPart2, "+16175046925", "2012-04-25T19:56:51-04:00", gsm::Coding::Gsm7,
         u"that the parts are related to one another. ", 0x4C, 2, 2},
    };
    for (const auto &c : cases) {
        gsm::DeliverPart part;
        QString error;
        ASSERT_TRUE(gsm::decodeDeliver(c.pdu, &part, &error)) << c.name << ": " << error.toStdString();
        EXPECT_EQ(part.sender, QLatin1String(c.sender)) << c.name;
        EXPECT_EQ(part.sent, at(c.sent)) << c.name;
        EXPECT_EQ(part.sent.offsetFromUtc(), at(c.sent).offsetFromUtc()) << c.name;
        EXPECT_EQ(part.coding, c.coding) << c.name;
        EXPECT_EQ(part.text, QString::fromUtf16(c.text)) << c.name;
        EXPECT_EQ(part.concatRef, c.ref) << c.name;
        EXPECT_EQ(part.concatTotal, c.total) << c.name;
        EXPECT_EQ(part.concatSeq, c.seq) << c.name;
    }
    gsm::DeliverPart part;
    QString error;
    EXPECT_FALSE(gsm::decodeDeliver("07912143658709F1040B918100551512F20000111010214365000BE8329BFD4697D9EC37", &part, &error));
    EXPECT_TRUE(error.contains(QLatin1String("TP-UD"))) << error.toStdString();
}

// What the simulated modem's network builds reads back the same: a 16-bit reference, an
// alphanumeric sender and a zone west of Greenwich (its reports are read in the listener tests).
TEST(DeliverPdu, BuiltPdusReadBack)
{
    gsm::DeliverMessage m;
    m.smsc = QStringLiteral("+447785016005");
    m.sender = QStringLiteral("Quillo");
    m.sent = at("2024-02-29T23:59:58-03:30");
    m.header = QByteArray::fromHex("08041234" "0302");
    m.userData = gsm::toSeptets(QStringLiteral("Part two [of three]"));
    gsm::NetworkPdu pdu;
    ASSERT_TRUE(gsm::buildDeliver(m, &pdu, nullptr));
    gsm::DeliverPart part;
    ASSERT_TRUE(gsm::decodeDeliver(pdu.hex, &part, nullptr));
    EXPECT_EQ(pdu.hex.size() / 2 - 8, pdu.tpduLength);
    EXPECT_EQ(part.sender, m.sender);
    EXPECT_EQ(part.sent, m.sent);
    EXPECT_EQ(part.sent.offsetFromUtc(), -(3 * 3600 + 1800));
    EXPECT_EQ(part.text, QStringLiteral("Part two [of three]"));
    EXPECT_EQ(part.concatRef, 0x1234);
    EXPECT_EQ(part.concatTotal, 3);
    EXPECT_EQ(part.concatSeq, 2);
    EXPECT_EQ(gsm::pduKind(pdu.hex), gsm::PduKind::Deliver);
}

gsm::DeliverPart decoded(const char *hex)
{
    gsm::DeliverPart part;
    gsm::decodeDeliver(hex, &part, nullptr);
    return part;
}

TEST(MessageJoiner, JoinsPartsInAnyOrderAndKeepsSendersApart)
{
    MessageJoiner joiner(60000);
    const gsm::DeliverPart first = decoded(kPart1), second = decoded(kPart2);
    gsm::DeliverPart stranger = second; // the same reference from someone else
    stranger.sender = QStringLiteral("+447700900555");

    EXPECT_FALSE(joiner.add(second, 0));
    EXPECT_FALSE(joiner.add(stranger, 10));
    EXPECT_FALSE(joiner.add(second, 20)); // delivered twice: still waiting for part 1
    const std::optional<IncomingMessage> whole = joiner.add(first, 30);
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->text, QLatin1String(kWholeText));
    EXPECT_EQ(whole->sender, QStringLiteral("+16175046925"));
    EXPECT_EQ(whole->time, first.sent);
    EXPECT_TRUE(whole->complete());
    EXPECT_EQ(whole->parts, 2);
    EXPECT_EQ(joiner.nextDeadline(), 60010);

    const std::optional<IncomingMessage> single = joiner.add(decoded("07912143658709F1040B918100551512F20000111010214365000AE8329BFD4697D9EC37"), 40);
    ASSERT_TRUE(single);
    EXPECT_EQ(single->text, QStringLiteral("hellohello"));
}

TEST(MessageJoiner, AMissingPartHandsOutWhatCameMarkedIncomplete)
{
    MessageJoiner joiner(5000);
    EXPECT_FALSE(joiner.add(decoded(kPart2), 1000));
    EXPECT_TRUE(joiner.takeExpired(5999).isEmpty());
    const QList<IncomingMessage> expired = joiner.takeExpired(6000);
    ASSERT_EQ(expired.size(), 1);
    EXPECT_FALSE(expired[0].complete());
    EXPECT_EQ(expired[0].parts, 1);
    EXPECT_EQ(expired[0].partsExpected, 2);
    EXPECT_EQ(expired[0].text, QStringLiteral("that the parts are related to one another. "));
    EXPECT_EQ(joiner.nextDeadline(), -1);
}

} // namespace
