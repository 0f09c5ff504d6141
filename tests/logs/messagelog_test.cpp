#include "fakes.h"
#include "messagelog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// The lines of message.log without their date-time prefix, each checked to carry one.
QStringList loggedTexts(const QString &path, const QDateTime &from, const QDateTime &to)
{
    const QString text = QString::fromUtf8(readAll(path));
    QStringList lines = text.split(QStringLiteral("\r\n"));
    EXPECT_TRUE(lines.isEmpty() || lines.last().isEmpty()) << "every line ends with CR LF";
    if (!lines.isEmpty())
        lines.removeLast();
    QStringList prefixes;
    for (QDateTime t = from; t <= to.addSecs(1); t = t.addSecs(1))
        prefixes << messageLogDateTime(t) + QStringLiteral(": ");
    QStringList texts;
    for (const QString &line : lines) {
        QString rest;
        for (const QString &prefix : prefixes)
            if (line.startsWith(prefix))
                rest = line.mid(prefix.size());
        EXPECT_FALSE(rest.isEmpty()) << "no date-time of the write in: " << line.toStdString();
        texts << rest;
    }
    return texts;
}

struct MessageLogTest : testing::Test
{
    TestContext tc;
    QString logs = tc.makeFolder(QStringLiteral("logs"));
    QString path = logs + QStringLiteral("message.log");
};

TEST_F(MessageLogTest, EachLevelWritesItsKindsOfLines)
{
    struct Case
    {
        int level;
        QStringList expected;
    } cases[] = {
        {0, {}},
        {1, {"Sending started", "Message FAILED [9812345678]", "Sending completed [Sent:1; Failed:1]"}},
        {2,
         {"Sending started", "Message FAILED [9812345678]", "Message Sent [+919812345678]; 2 SMS",
          "Sending completed [Sent:1; Failed:1]"}},
    };
    for (const Case &c : cases) {
        QFile::remove(path);
        const QDateTime from = QDateTime::currentDateTime();
        MessageLog log(tc.context.appFolder);
        log.setLogType(qint16(c.level));
        log.StatusLog(QStringLiteral("Sending started"));
        log.ErrorMsgLog(QStringLiteral("9812345678"));
        log.SentMsgLog(QStringLiteral("+919812345678"), QStringLiteral("17,18"));
        log.StatusLog(QStringLiteral("Sending completed [Sent:1; Failed:1]"));
        EXPECT_EQ(QFile::exists(path), c.level > 0) << "level " << c.level;
        EXPECT_EQ(loggedTexts(path, from, QDateTime::currentDateTime()), c.expected) << "level " << c.level;
    }
}

TEST_F(MessageLogTest, SentLineCountsThePiecesOfTheSendReport)
{
    const std::pair<const char *, const char *> cases[] = {
        {"", "1 SMS"}, {"42", "1 SMS"}, {"42,43", "2 SMS"}, {"1,2,3", "3 SMS"}, {",", "2 SMS"},
    };
    for (const auto &[report, suffix] : cases) {
        QFile::remove(path);
        const QDateTime from = QDateTime::currentDateTime();
        MessageLog log(tc.context.appFolder);
        log.setLogType(2);
        log.SentMsgLog(QStringLiteral("9812345678"), QLatin1String(report));
        EXPECT_EQ(loggedTexts(path, from, QDateTime::currentDateTime()),
                  QStringList{QStringLiteral("Message Sent [9812345678]; ") + QLatin1String(suffix)})
            << "report \"" << report << '"';
    }
}

TEST_F(MessageLogTest, BlankDestinationAndUnsetLevelWriteNothing)
{
    MessageLog unset(tc.context.appFolder);
    EXPECT_EQ(unset.LogType(), 0);
    unset.StatusLog(QStringLiteral("Sending started"));
    unset.ErrorMsgLog(QStringLiteral("1"));
    EXPECT_FALSE(QFile::exists(path));

    MessageLog log(tc.context.appFolder);
    log.setLogType(2);
    log.SentMsgLog(QStringLiteral("   "), QStringLiteral("5"));
    log.SentMsgLog(QString(), QStringLiteral("5"));
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(MessageLogTest, LinesAreAppendedToWhatIsThere)
{
    writeAll(path, "earlier line\r\n");
    MessageLog log(tc.context.appFolder);
    log.setLogType(1);
    log.ErrorMsgLog(QStringLiteral("111"));
    log.ErrorMsgLog(QStringLiteral("222"));
    const QByteArray bytes = readAll(path);
    EXPECT_TRUE(bytes.startsWith("earlier line\r\n"));
    EXPECT_TRUE(bytes.endsWith(": Message FAILED [222]\r\n"));
    EXPECT_EQ(bytes.count("\r\n"), 3);
    EXPECT_EQ(bytes.count('\n'), 3) << "no bare line feeds";
}

TEST_F(MessageLogTest, AFailedWriteSilencesTheLogForGood)
{
    QDir(logs).removeRecursively();
    MessageLog log(tc.context.appFolder);
    log.setLogType(2);
    log.StatusLog(QStringLiteral("Sending started"));
    EXPECT_EQ(log.LogType(), 0);
    EXPECT_FALSE(QFile::exists(path));

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
    MessageLog log(tc.context.appFolder);

    log.Clear(0);
    EXPECT_TRUE(QFile::exists(path)) << "Clear creates the file empty when the folder exists";
    EXPECT_TRUE(readAll(path).isEmpty());

    struct Case
    {
        QByteArray before;
        int keep;
        QByteArray after;
    } cases[] = {
        {"1\r\n2\r\n3\r\n4\r\n5\r\n", 0, ""},
        {"1\r\n2\r\n3\r\n4\r\n5\r\n", 2, "4\r\n5\r\n\r\n"},
        {"1\r\n2\r\n3", 1, "2\r\n3\r\n"},
        {"1\r\n2\r\n", 10, "1\r\n2\r\n\r\n"},
        {"", 3, ""},
    };
    for (const Case &c : cases) {
        writeAll(path, c.before);
        log.Clear(qint16(c.keep));
        EXPECT_EQ(readAll(path), c.after) << c.before.toStdString() << " keep " << c.keep;
    }
}

TEST_F(MessageLogTest, ClearWithoutALogFolderCreatesNothing)
{
    QDir(logs).removeRecursively();
    MessageLog(tc.context.appFolder).Clear(0);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(QFile::exists(tc.context.appFolder + QStringLiteral("message.log")));
}

} // namespace
