#include "settings/settingsstore.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray fileBytes(const SettingsStore &store)
{
    QFile file(store.filePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

TEST(SettingsStore, ALogLevelRewritesOnlyItsOwnLine)
{
    QTemporaryDir folder;
    SettingsStore store(folder.path());
    {
        QFile file(store.filePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("; kept\r\n[LOG]\r\nSysLog=2\r\nMsgLog=1\r\n[COMM]\r\nPort=COM2\r\n");
    }
    store.saveLogLevel(SettingsStore::LogLevel::Message, QStringLiteral("0"));
    EXPECT_EQ(fileBytes(store), QByteArray("; kept\r\n[LOG]\r\nSysLog=2\r\nMsgLog=0\r\n[COMM]\r\nPort=COM2\r\n"));
}

} // namespace
