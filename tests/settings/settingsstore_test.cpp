#include "common/ansitext.h"
#include "settings/settingsstore.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray fileBytes(const SettingsStore &store)
{
    return QFile::exists(store.filePath()) ? readFileBytes(store.filePath()) : QByteArray("<missing>");
}

TEST(SettingsStore, FurtherModemsAndPacingRoundTripAndOneModemUnpacedLeavesTheFileAsItWas)
{
    QTemporaryDir folder;
    SettingsStore store(folder.path());
    const QByteArray original("[COMM]\r\nPort=COM2\r\nBaudRate=9600\r\n[SMS]\r\nPIN=1234\r\n");
    writeFileBytes(store.filePath(), original);
    const ModemPort usb1{QStringLiteral("/dev/ttyUSB1"), QStringLiteral("115200"), QStringLiteral("8"),
                         QStringLiteral("1"), QStringLiteral("None"), QString()};
    const ModemPacing paced{QStringLiteral("5"), QStringLiteral("20"), QStringLiteral("60"), QStringLiteral("500"),
                            QStringLiteral("250")};
    const ModemPort usb2{QStringLiteral("/dev/ttyUSB2"), QStringLiteral("9600"), QStringLiteral("7"),
                         QStringLiteral("2"),            QStringLiteral("Even"), QStringLiteral("4321"),
                         {{}, {}, QStringLiteral("30")}};
    const struct { const char *name; QList<ModemPort> modems; ModemPacing first; } steps[] = {
        {"one modem writes nothing", {}, {}},
        {"two more, all paced", {usb1, usb2}, paced},
        {"the first of them removed, the first modem unpaced", {usb2}, {}},
        {"back to one", {}, {}},
    };
    for (const auto &step : steps) {
        store.saveMoreModems(step.modems);
        store.savePacing(step.first);
        EXPECT_EQ(store.loadMoreModems(), step.modems) << step.name;
        EXPECT_EQ(store.load().Port, QStringLiteral("COM2")) << step.name;
        EXPECT_EQ(store.load().Pacing, step.first) << step.name;
        if (step.modems.isEmpty())
            EXPECT_EQ(fileBytes(store), original) << step.name;
    }
    store.saveMoreModems({usb1, usb2});
    EXPECT_TRUE(fileBytes(store).startsWith(original + "[Modem2]\r\nPort=/dev/ttyUSB1\r\nBaudRate=115200\r\n"));
}

TEST(SettingsStore, FurtherModemsEndAtTheFirstSectionWithoutAPort)
{
    QTemporaryDir folder;
    SettingsStore store(folder.path());
    writeFileBytes(store.filePath(), "[Modem2]\r\nPort= COM3 \r\n[Modem3]\r\nBaudRate=9600\r\n[Modem4]\r\nPort=COM5\r\n");
    ASSERT_EQ(store.loadMoreModems().size(), 1);
    EXPECT_EQ(store.loadMoreModems().front().Port, QStringLiteral("COM3"));
}

TEST(SettingsStore, RepliesKeysRoundTripAndOnlyChangedOnesAreWritten)
{
    const QByteArray other("[COMM]\r\nPort=COM2\r\n");
    const QByteArray spaced("[REPLIES]\r\nStopWords= ARRET, ,ALTO,\r\nStopConfirmation=No more messages.\r\n");
    const ReplySettings french{{"ARRET", "ALTO"}, QStringLiteral("Plus de messages."), true};
    const struct
    {
        const char *name;
        QByteArray before; // empty: no file
        ReplySettings saved;
        QByteArray after;
    } cases[] = {
        {"no file stays no file", {}, {}, {}},
        {"a file without the section stays as it was", other, {}, other},
        {"values as loaded keep their spelling", spaced, {{"ARRET", "ALTO"}, "No more messages.", false}, spaced},
        {"new keys", other, french,
         other + "[REPLIES]\r\nListen=1\r\nStopWords=ARRET,ALTO\r\nStopConfirmation=Plus de messages.\r\n"},
        {"turned off and emptied", "[REPLIES]\r\nListen=1\r\nStopWords=ARRET\r\n", {},
         "[REPLIES]\r\nListen=0\r\nStopWords=\r\n"},
    };
    for (const auto &c : cases) {
        QTemporaryDir folder;
        SettingsStore store(folder.path());
        if (!c.before.isEmpty())
            writeFileBytes(store.filePath(), c.before);
        store.saveReplies(c.saved);
        EXPECT_EQ(fileBytes(store), c.after.isEmpty() ? QByteArray("<missing>") : c.after) << c.name;
        EXPECT_EQ(store.loadReplies(), c.saved) << c.name;
    }
}

} // namespace
