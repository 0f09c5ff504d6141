#include "settings/inihandling.h"
#include "settings/settingsstore.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Key
{
    const char *section;
    const char *key;
    QString ComDetails::*field;
    const char *value;
};

// Every key with a value no other key has, so a field stored under another's name shows.
const Key kEveryKey[] = {
    {"COMM", "Port", &ComDetails::Port, "COM7"},
    {"COMM", "BaudRate", &ComDetails::BaudRate, "115200"},
    {"COMM", "DataBits", &ComDetails::DataBits, "7"},
    {"COMM", "StopBits", &ComDetails::StopBits, "1.5"},
    {"COMM", "Parity", &ComDetails::Parity, "Even"},
    {"SMS", "PIN", &ComDetails::PIN, "0420"},
    {"SMS", "Validity", &ComDetails::Validity, "3 Day"},
    {"SMS", "SMSC", &ComDetails::SMSC, "+447785016005"},
    {"SMS", "SendDelay", &ComDetails::SendDelay, "2.5"},
    {"SMS", "SendRetry", &ComDetails::SendRetry, "3"},
    {"SMS", "LongMsg", &ComDetails::LongMsg, "Split (Formatted)"},
    {"LOG", "SysLog", &ComDetails::SysLog, "2"},
    {"LOG", "MsgLog", &ComDetails::MsgLog, "1"},
};

QByteArray fileBytes(const SettingsStore &store)
{
    QFile file(store.filePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

TEST(SettingsStore, EveryKeyIsSavedUnderItsOwnSectionAndNameAndLoadsBack)
{
    QTemporaryDir folder;
    SettingsStore store(folder.path());
    ComDetails saved;
    for (const Key &k : kEveryKey)
        saved.*k.field = QLatin1String(k.value);
    store.saveSettings(saved);
    store.saveLogLevel(SettingsStore::LogLevel::Modem, saved.SysLog);
    store.saveLogLevel(SettingsStore::LogLevel::Message, saved.MsgLog);

    const ComDetails loaded = store.load();
    const INIHandling file(folder.path(), QStringLiteral("config.ini"));
    for (const Key &k : kEveryKey) {
        EXPECT_EQ(loaded.*k.field, QLatin1String(k.value)) << k.key;
        EXPECT_EQ(file.GetKey(QLatin1String(k.section), QLatin1String(k.key)), QLatin1String(k.value)) << k.key;
    }
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
