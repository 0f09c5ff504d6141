#include "modemsim/messagerecorder.h"
#include "modemsim/modemconfig.h"

#include <QDir>
#include <QFile>
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

// Every fault key is read in the driver tests, which run modemsim with them; here what is
// missing or wrong, the keys no driver test uses, and incoming texts kept as written.
TEST(ModemConfig, MissingKeysKeepDefaultsAndBadValuesAreNamed)
{
    ModemConfig c;
    QString error;
    ASSERT_TRUE(load("[network]\nName=Only\nSubmitDelay=2500\n[modem]\nRevision=R2\n"
                     "[incoming]\nMessage1 = 1500 +447700900555 Stop, please; thanks\nMessage2=0 Shop  Hi\n"
                     "[faults]\nMessage3=9 x y\n", &c, &error)) << error.toStdString();
    EXPECT_EQ(c.networkName, QStringLiteral("Only"));
    EXPECT_EQ(c.submitDelayMs, 2500);
    EXPECT_EQ(c.revision, QStringLiteral("R2"));
    EXPECT_TRUE(c.registered);
    EXPECT_EQ(c.rssi, 24);
    EXPECT_EQ(c.replyDelayMs, 0);
    ASSERT_EQ(c.incoming.size(), 2);
    EXPECT_EQ(c.incoming[0].delayMs, 1500);
    EXPECT_EQ(c.incoming[0].sender, QStringLiteral("+447700900555"));
    EXPECT_EQ(c.incoming[0].text, QStringLiteral("Stop, please; thanks"));
    EXPECT_EQ(c.incoming[1].text, QStringLiteral("Hi"));

    const struct { const char *ini; const char *named; } bad[] = {
        {"[network]\nRSSI=high\n", "RSSI"},
        {"[faults]\nReplyDelay=-4\n", "ReplyDelay"},
        {"[network]\nSubmitDelay=soon\n", "SubmitDelay"},
        {"[reports]\nFailedShare=60\nLostShare=50\n", "add up to more than 100"},
        {"[reports]\nFailedStatus=0\n", "FailedStatus"},
        {"[incoming]\nMessage1=+447700900555 STOP\n", "line 2: expected \"<delay ms> <sender> <text>\""},
    };
    for (const auto &b : bad) {
        ModemConfig config;
        EXPECT_FALSE(load(b.ini, &config, &error)) << b.ini;
        EXPECT_TRUE(error.contains(QLatin1String(b.named))) << b.ini << error.toStdString();
    }
    EXPECT_FALSE(ModemConfig::load(QStringLiteral("/nonexistent/modem.ini"), &c, &error));
    EXPECT_FALSE(MessageRecorder(QStringLiteral("/nonexistent/dir/r.jsonl")).record(ReceivedMessage()));
}

} // namespace
