#include "messagerecorder.h"
#include "modemconfig.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

bool load(const QByteArray &ini, ModemConfig *config, QString *error)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("m.ini"));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(ini);
    f.close();
    return ModemConfig::load(path, config, error);
}

// Every key is read in the driver tests, which run modemsim with them; here what is missing
// or wrong.
TEST(ModemConfig, MissingKeysKeepDefaultsAndBadValuesAreNamed)
{
    ModemConfig c;
    QString error;
    ASSERT_TRUE(load("[network]\nName=Only\n", &c, &error));
    EXPECT_EQ(c.networkName, QStringLiteral("Only"));
    EXPECT_TRUE(c.registered);
    EXPECT_EQ(c.rssi, 24);

    ModemConfig bad;
    EXPECT_FALSE(load("[network]\nRSSI=high\n", &bad, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("RSSI")));
    EXPECT_FALSE(load("[faults]\nReplyDelay=-4\n", &bad, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("ReplyDelay")));
    EXPECT_FALSE(ModemConfig::load(QStringLiteral("/nonexistent/modem.ini"), &bad, &error));
}

TEST(MessageRecorder, OneJsonLinePerMessage)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("r.jsonl"));
    ReceivedMessage m;
    m.pdu = "0001";
    m.number = QStringLiteral("+1");
    m.text = QStringLiteral("line \"one\"\nnext");
    m.concatRef = 5;
    m.concatSeq = 1;
    m.concatTotal = 2;
    MessageRecorder recorder(path);
    ASSERT_TRUE(recorder.record(m));
    ASSERT_TRUE(recorder.record(m));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = f.readAll().split('\n');
    ASSERT_EQ(lines.size(), 3); // two lines and the empty rest after the last newline
    const QJsonObject o = QJsonDocument::fromJson(lines[0]).object();
    EXPECT_EQ(o.value(QStringLiteral("text")).toString(), m.text);
    EXPECT_EQ(o.value(QStringLiteral("pdu")).toString(), QStringLiteral("0001"));
    EXPECT_EQ(o.value(QStringLiteral("parts")).toInt(), 2);
    EXPECT_FALSE(MessageRecorder(QStringLiteral("/nonexistent/dir/r.jsonl")).record(m));
}

} // namespace
