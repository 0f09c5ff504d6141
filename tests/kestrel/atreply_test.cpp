#include "kestrel/atreply.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using at::Status;

namespace {

TEST(AtReply, ReadsRepliesAsModemsWriteThem)
{
    const struct
    {
        const char *name;
        const char *command;
        bool wantPrompt;
        QList<QByteArray> chunks;
        Status status;
        int code;
        QList<QByteArray> lines;
    } cases[] = {
        {"echo dropped", "AT", false, {"AT\r\r\nOK\r\n"}, Status::Ok, -1, {}},
        {"echo of a different case", "ate0", false, {"ATE0\r\r\nOK\r\n"}, Status::Ok, -1, {}},
        {"information line", "AT+CGMI", false, {"\r\nAcme\r\n\r\nOK\r\n"}, Status::Ok, -1, {"Acme"}},
        {"chunks split anywhere", "AT+CSQ", false, {"\r\n+CS", "Q: 23,99\r", "\n\r\nO", "K\r\n"}, Status::Ok, -1, {"+CSQ: 23,99"}},
        {"unsolicited lines dropped", "AT+CGMM", false,
         {"\r\nRING\r\n\r\n+CMTI: \"SM\",3\r\n\r\nModel 9\r\n^RSSI:12\r\n\r\nOK\r\n"}, Status::Ok, -1, {"Model 9"}},
        {"+CREG kept when asked for", "AT+CREG?", false, {"\r\n+CREG: 0,1\r\n\r\nOK\r\n"}, Status::Ok, -1, {"+CREG: 0,1"}},
        {"+CREG dropped when not asked for", "AT+CSQ", false, {"\r\n+CREG: 1\r\n+CSQ: 5,0\r\n\r\nOK\r\n"}, Status::Ok, -1, {"+CSQ: 5,0"}},
        {"bare LF line ends", "AT+CGSN", false, {"\n123\n\nOK\n"}, Status::Ok, -1, {"123"}},
        {"plain ERROR", "AT+XYZ", false, {"\r\nERROR\r\n"}, Status::Error, -1, {}},
        {"+CME ERROR number", "AT+CPIN=\"1\"", false, {"\r\n+CME ERROR: 16\r\n"}, Status::CmeError, 16, {}},
        {"+CME ERROR text", "AT+CIMI", false, {"\r\n+CME ERROR: SIM PIN required\r\n"}, Status::CmeError, -1, {}},
        {"+CMS ERROR number", "AT+CMGS=20", true, {"\r\n+CMS ERROR: 330\r\n"}, Status::CmsError, 330, {}},
        {"prompt without line end", "AT+CMGS=20", true, {"\r\n> "}, Status::Prompt, -1, {}},
        {"prompt after echo", "AT+CMGS=20", true, {"AT+CMGS=20\r", "\r\n> "}, Status::Prompt, -1, {}},
        {"no prompt unless asked", "AT", false, {"\r\n> "}, Status::Pending, -1, {}},
        {"PDU echo dropped", "0011AB\x1A", false, {"0011AB\x1A\r\n+CMGS: 5\r\n\r\nOK\r\n"}, Status::Ok, -1, {"+CMGS: 5"}},
        {"OK without line end is not yet final", "AT", false, {"\r\nOK"}, Status::Pending, -1, {}},
        {"NO CARRIER fails", "ATD123;", false, {"\r\nNO CARRIER\r\n"}, Status::Error, -1, {}},
    };
    for (const auto &c : cases) {
        at::ReplyReader reader;
        reader.begin(c.command, c.wantPrompt);
        for (const QByteArray &chunk : c.chunks)
            reader.feed(chunk);
        EXPECT_EQ(reader.reply().status, c.status) << c.name;
        EXPECT_EQ(reader.reply().code, c.code) << c.name;
        EXPECT_EQ(reader.reply().lines, c.lines) << c.name;
    }
}

TEST(AtReply, KeepsWhatFollowsTheFinalResult)
{
    at::ReplyReader reader;
    reader.begin("AT");
    EXPECT_TRUE(reader.feed("\r\nOK\r\n\r\n+CMTI: \"SM\",1\r\n"));
    EXPECT_EQ(reader.leftover(), QByteArray("\r\n+CMTI: \"SM\",1\r\n"));
}

TEST(AtReply, ValueHelpers)
{
    EXPECT_EQ(at::plainValue("+CGMI: \"Acme\"", "AT+CGMI"), QStringLiteral("Acme"));
    EXPECT_EQ(at::plainValue("Acme Corp", "AT+CGMI"), QStringLiteral("Acme Corp"));
    EXPECT_EQ(at::plainValue("+CIMI: 234150999999999", "AT+CIMI"), QStringLiteral("234150999999999"));

    const struct { int rssi; int percent; } signal[] = {{0, 0}, {1, 3}, {15, 48}, {16, 52}, {30, 97}, {31, 100}, {99, -1}, {32, -1}, {-1, -1}};
    for (const auto &s : signal)
        EXPECT_EQ(at::signalPercent(s.rssi), s.percent) << s.rssi;
    EXPECT_EQ(at::parseCsq({"+CSQ: 17,99"}), 17);
    EXPECT_EQ(at::parseCsq({"nonsense"}), -1);

    EXPECT_EQ(at::parseCops({"+COPS: 0,0,\"Vodafone UK\",2"}), QStringLiteral("Vodafone UK"));
    EXPECT_EQ(at::parseCops({"+COPS: 0,2,\"23415\""}), QStringLiteral("23415"));
    EXPECT_EQ(at::parseCops({"+COPS: 0,0,\"A, B\",0"}), QStringLiteral("A, B"));
    EXPECT_EQ(at::parseCops({"+COPS: 0"}), QString());

    const struct { const char *line; int stat; } creg[] = {
        {"+CREG: 0,1", 1}, {"+CREG: 2,5,\"1A2B\",\"3C4D\"", 5}, {"+CREG: 3", 3},
        {"+CREG: 1,\"1A2B\",\"3C4D\"", 1}, {"+CREG: x", -1}, {"OK", -1},
    };
    for (const auto &c : creg)
        EXPECT_EQ(at::parseCreg({QByteArray(c.line)}), c.stat) << c.line;

    EXPECT_EQ(at::parseCreg({"+CEREG: 0,5"}, "+CEREG:"), 5);
    EXPECT_EQ(at::parseCreg({"+CEREG: 0,5"}), -1);

    EXPECT_EQ(at::parseCpin({"+CPIN: SIM PIN"}), QStringLiteral("SIM PIN"));
    EXPECT_EQ(at::parseCpin({"+CPIN: \"READY\""}), QStringLiteral("READY"));
    EXPECT_EQ(at::parseCmgs({"+CMGS: 201"}), 201);
    EXPECT_EQ(at::parseCmgs({"+CMGS: 12,\"2026\""}), 12);
    EXPECT_EQ(at::parseCmgs({}), -1);

    QByteArray memory;
    int index = 0;
    EXPECT_TRUE(at::parseStoredIndication("+CDSI: \"SR\",12", &memory, &index));
    EXPECT_EQ(memory + QByteArray::number(index), QByteArray("SR12"));
    EXPECT_TRUE(at::parseStoredIndication("+CMTI: \"me\",3", &memory, &index));
    EXPECT_EQ(memory + QByteArray::number(index), QByteArray("ME3"));
    EXPECT_FALSE(at::parseStoredIndication("+CMTI: \"SM\"", &memory, &index));
    EXPECT_FALSE(at::parseStoredIndication("+CMT: ,25", &memory, &index));

    // AT+CMGL as Gammu's tests/at-sms dumps show modems write it: a header, then the PDU.
    const QList<at::StoredPdu> listed = at::parseStoredPdus({"+CMGL: 1,0,,25", "0791AA", "+CMGL: 7,1,\"x\",30", "0791BB"});
    ASSERT_EQ(listed.size(), 2);
    EXPECT_EQ(listed[1].index, 7);
    EXPECT_EQ(listed[1].pdu, QByteArray("0791BB"));
    const QList<at::StoredPdu> read = at::parseStoredPdus({"+CMGR: 0,,25", "0791CC"});
    ASSERT_EQ(read.size(), 1);
    EXPECT_EQ(read[0].index, -1);
    EXPECT_EQ(read[0].pdu, QByteArray("0791CC"));
    EXPECT_TRUE(at::parseStoredPdus({"+CMGL: 1,0,,25"}).isEmpty()); // its PDU line never came
}

TEST(AtReply, RandomBytesNeverCrashTheReader)
{
    QRandomGenerator random(4242);
    const QByteArray alphabet = QByteArrayLiteral("\r\n> OKERROR+CMS:+CME 0123,\"\x1A");
    for (int i = 0; i < 5000; ++i) {
        at::ReplyReader reader;
        reader.begin("AT+CMGS=12", i % 2 == 0);
        QByteArray bytes;
        for (int n = int(random.bounded(40)); n > 0; --n)
            bytes.append(alphabet.at(int(random.bounded(int(alphabet.size())))));
        reader.feed(bytes);
        if (reader.isDone())
            EXPECT_NE(reader.reply().status, Status::Pending);
    }
}

} // namespace
