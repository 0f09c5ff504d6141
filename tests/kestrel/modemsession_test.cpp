#include "kestrel/modemsession.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QIODevice>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// A modem with echo off that answers each command line with the bytes scripted for it,
// after a delay if one is given; unknown commands get no answer at all.
class ScriptedModem : public QIODevice
{
public:
    struct Answer { QByteArray bytes; int delayMs = 0; };
    QHash<QByteArray, Answer> answers;

    ScriptedModem() { open(QIODevice::ReadWrite | QIODevice::Unbuffered); }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return m_out.size() + QIODevice::bytesAvailable(); }
    // Bytes the modem sends on its own.
    void say(const QByteArray &bytes, int delayMs = 0)
    {
        QTimer::singleShot(delayMs, this, [this, bytes] {
            m_out += bytes;
            emit readyRead();
        });
    }

protected:
    qint64 readData(char *data, qint64 max) override
    {
        const qint64 n = qMin(max, qint64(m_out.size()));
        memcpy(data, m_out.constData(), size_t(n));
        m_out.remove(0, n);
        return n;
    }
    qint64 writeData(const char *data, qint64 size) override
    {
        const QByteArray line = QByteArray(data, size).chopped(1);
        if (answers.contains(line))
            say(answers[line].bytes, answers[line].delayMs);
        return size;
    }

private:
    QByteArray m_out;
};

// "A|B" per code, for readable failures.
QStringList joined(const QList<QList<QByteArray>> &codes)
{
    QStringList out;
    for (const QList<QByteArray> &code : codes)
        out << QString::fromLatin1(code.join('|'));
    return out;
}

void spinUntil(const std::function<bool()> &done, int ms = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// What the modem says on its own reaches the session whether it comes between commands or
// in the middle of an answer, with the PDU line of a status report kept together with it,
// and never ends up among the answer's lines.
TEST(ModemSession, UnsolicitedCodesAreHandedOutNotMixedIntoAnswers)
{
    auto device = std::make_unique<ScriptedModem>();
    ScriptedModem *modem = device.get();
    modem->answers["AT+CSQ"].bytes = "\r\n+CDS: 25\r\n0791198914000000060A0A91891932547600\r\n+CSQ: 20,99\r\n"
                               "\r\n+CMTI: \"SM\",3\r\nOK\r\n";
    ModemSession session(std::move(device), nullptr);
    QList<QList<QByteArray>> codes;
    QObject::connect(&session.queue(), &AtQueue::unsolicited, [&](const QList<QByteArray> &c) { codes << c; });

    modem->say("\r\nRING\r\n\r\n+CDS: 25\r\n");
    spinUntil([&] { return codes.size() == 1; }, 500);
    modem->say("07911989140000000\r\n");
    AtResult answer;
    bool done = false;
    session.queue().enqueue({"AT+CSQ", 1000, {}, {}}, [&](const AtResult &r) {
        answer = r;
        done = true;
    });
    spinUntil([&] { return done; });
    ASSERT_TRUE(answer.ok());
    EXPECT_EQ(answer.reply.lines.join('|'), "+CSQ: 20,99");
    EXPECT_EQ(joined(codes), QStringList({"RING", "+CDS: 25|07911989140000000",
                                          "+CDS: 25|0791198914000000060A0A91891932547600", "+CMTI: \"SM\",3"}));
}

// A command that goes unanswered times out; its late answer must not be taken for the next
// command's, and once the port is gone every queued request fails at once.
TEST(ModemSession, LateAnswersAreDroppedAndALostPortFailsTheQueue)
{
    auto device = std::make_unique<ScriptedModem>();
    ScriptedModem *modem = device.get();
    // The model comes 30 ms after its time limit, while the next command waits for its answer.
    modem->answers["AT+CGMM"] = {"\r\nLate model\r\n\r\nOK\r\n", 80};
    modem->answers["AT+CGMI"] = {"\r\nAcme\r\n\r\nOK\r\n", 60};
    ModemSession session(std::move(device), nullptr);
    QList<AtResult> results;
    auto keep = [&](const AtResult &r) { results << r; };
    session.queue().enqueue({"AT+CGMM", 50, {}, {}}, keep);
    session.queue().enqueue({"AT+CGMI", 1000, {}, {}}, keep);
    spinUntil([&] { return results.size() == 2; });
    ASSERT_EQ(results.size(), 2);
    EXPECT_TRUE(results[0].timedOut);
    EXPECT_TRUE(results[1].ok());
    EXPECT_EQ(results[1].reply.lines.join('|'), "Acme");

    session.queue().enqueue({"AT+CSQ", 5000, {}, {}}, keep);
    session.queue().enqueue({"AT+CSQ", 5000, {}, {}}, keep);
    modem->close(); // the port goes away while the first waits
    spinUntil([&] { return results.size() == 4; }, 1000);
    ASSERT_EQ(results.size(), 4);
    EXPECT_TRUE(results[2].lost);
    EXPECT_TRUE(results[3].lost);
    EXPECT_TRUE(session.isLost());
}

} // namespace
