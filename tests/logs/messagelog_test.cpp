#include "fakes.h"
#include "common/ansitext.h"
#include "logs/messagelog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

struct MessageLogTest : testing::Test
{
    QByteArray read() { return readFileBytes(path); }
    void write(const QByteArray &bytes) { writeFileBytes(path, bytes); }
    // The lines after `earlier`, each stripped of the date-time of its write, which must be
    // between `from` and now.
    QStringList linesSince(const QByteArray &earlier, const QDateTime &from)
    {
        const QByteArray bytes = read();
        EXPECT_TRUE(bytes.startsWith(earlier)) << "lines are appended";
        EXPECT_EQ(bytes.count("\r\n"), bytes.count('\n')) << "every line ends with CR LF";
        QStringList prefixes;
        for (QDateTime t = from; t <= QDateTime::currentDateTime().addSecs(1); t = t.addSecs(1))
            prefixes << messageLogDateTime(t) + QStringLiteral(": ");
        QStringList texts;
        for (const QString &line : QString::fromUtf8(bytes.mid(earlier.size())).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
            const auto prefix = std::find_if(prefixes.begin(), prefixes.end(), [&](const QString &p) { return line.startsWith(p); });
            EXPECT_NE(prefix, prefixes.end()) << "no date-time of the write in: " << line.toStdString();
            texts << (prefix == prefixes.end() ? line : line.mid(prefix->size()));
        }
        return texts;
    }

    TestContext tc;
    QString logs = tc.makeFolder(QStringLiteral("logs"));
    QString path = logs + QStringLiteral("message.log");
};

TEST_F(MessageLogTest, EachLevelAppendsItsKindsOfLines)
{
    const std::pair<int, QStringList> cases[] = {
        {-1, {}}, // never set
        {0, {}},
        {1, {"Sending started", "Message FAILED [9812345678]", "Sending completed [Sent:1; Failed:1]"}},
        {2,
         {"Sending started", "Message FAILED [9812345678]", "Message Sent [+919812345678]; 2 SMS",
          "Skipped (opt-out) [98123 45679]", "Sending completed [Sent:1; Failed:1]"}},
    };
    for (const auto &[level, expected] : cases) {
        write("earlier line\r\n");
        const QDateTime from = QDateTime::currentDateTime();
        MessageLog log(tc.context.dataFolder);
        if (level >= 0)
            log.setLogType(qint16(level));
        log.StatusLog(QStringLiteral("Sending started"));
        log.ErrorMsgLog(QStringLiteral("9812345678"));
        log.SentMsgLog(QStringLiteral("   "), QStringLiteral("5")); // a blank destination is not logged
        log.SentMsgLog(QStringLiteral("+919812345678"), QStringLiteral("17,18"));
        log.SkippedMsgLog(QStringLiteral("98123 45679"));
        log.StatusLog(QStringLiteral("Sending completed [Sent:1; Failed:1]"));
        EXPECT_EQ(linesSince("earlier line\r\n", from), expected) << "level " << level;
    }
}

TEST_F(MessageLogTest, WithoutTheLogFolderNothingIsCreatedAndAFailedWriteSilencesTheLog)
{
    QDir(logs).removeRecursively();
    MessageLog log(tc.context.dataFolder);
    log.Clear(0);
    log.setLogType(2);
    log.StatusLog(QStringLiteral("Sending started"));
    EXPECT_EQ(log.LogType(), 0);
    EXPECT_FALSE(QFile::exists(tc.context.dataFolder + QStringLiteral("message.log")));

    // The folder coming back does not wake the log that failed.
    tc.makeFolder(QStringLiteral("logs"));
    log.ErrorMsgLog(QStringLiteral("123"));
    EXPECT_FALSE(QFile::exists(path));
}

TEST(MessageLogDateTime, DateWithFullYearThenBlankThenTimeWithSeconds)
{
    // Whatever the locale's separators and hour style: the date first with its four-digit
    // year, a blank, then the time down to the seconds, and no time zone name.
    const QDateTime when(QDate(2026, 12, 5), QTime(17, 49, 12));
    const QString text = messageLogDateTime(when);
    static const QRegularExpression shape(QStringLiteral("^.*2026.* \\S*49\\D12(\\D|$)"));
    EXPECT_TRUE(shape.match(text).hasMatch()) << text.toStdString();
    EXPECT_FALSE(text.contains(when.timeZoneAbbreviation())) << text.toStdString();
    EXPECT_NE(messageLogDateTime(when.addSecs(1)), text) << "seconds are shown";
}

TEST_F(MessageLogTest, ClearEmptiesOrKeepsTheLastLines)
{
    MessageLog log(tc.context.dataFolder);
    log.Clear(0);
    EXPECT_TRUE(QFile::exists(path)) << "Clear creates the file empty when the folder exists";

    const std::tuple<QByteArray, int, QByteArray> cases[] = {
        {"1\r\n2\r\n3\r\n4\r\n5\r\n", 0, ""},
        {"1\r\n2\r\n3\r\n4\r\n5\r\n", 2, "4\r\n5\r\n\r\n"},
        {"1\r\n2\r\n3", 1, "2\r\n3\r\n"},
        {"1\r\n2\r\n", 10, "1\r\n2\r\n\r\n"},
        {"", 3, ""},
    };
    for (const auto &[before, keep, after] : cases) {
        write(before);
        log.Clear(qint16(keep));
        EXPECT_EQ(read(), after) << before.toStdString() << " keep " << keep;
    }
}

} // namespace
