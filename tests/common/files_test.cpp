#include "common/ansitext.h"
#include "common/error.h"
#include "common/paths.h"
#include "common/savetarget.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(Paths, AddBackslashAppendsOneSeparator)
{
    const QString sep = QDir::separator();
    EXPECT_EQ(AddBackslash(QString()), QString());
    EXPECT_EQ(AddBackslash(QStringLiteral("/opt/quillo")), QStringLiteral("/opt/quillo") + sep);
    EXPECT_EQ(AddBackslash(QStringLiteral("/opt/quillo/")), QStringLiteral("/opt/quillo/"));
}

TEST(Paths, PreferredFolderFallsBackWithoutCreating)
{
    QTemporaryDir dir;
    const QString logs = dir.path() + QStringLiteral("/logs/");
    EXPECT_EQ(PreferredFolder(logs, dir.path()), dir.path());
    EXPECT_FALSE(QDir(logs).exists());
    QDir(dir.path()).mkdir(QStringLiteral("logs"));
    EXPECT_EQ(PreferredFolder(logs, dir.path()), logs);
    // A file of that name is not a folder.
    QFile file(dir.path() + QStringLiteral("/plain"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    EXPECT_FALSE(FolderExists(file.fileName()));
    EXPECT_FALSE(FolderExists(QString()));
}

// Valid UTF-8 reads as UTF-8, other bytes (as a Windows editor saves them) as Windows-1252;
// text goes through a file unchanged, and failures carry a number and the reason.
TEST(AnsiText, ReadsUtf8OrWindows1252AndRoundTripsThroughAFile)
{
    EXPECT_EQ(decodeAnsiText(QByteArray("caf\xc3\xa9 \xe2\x82\xac")), QStringLiteral(u"café €"));
    EXPECT_EQ(decodeAnsiText(QByteArray("caf\xe9 \x80")), QStringLiteral(u"café €"));
    EXPECT_EQ(decodeAnsiText(QByteArray("\x93quoted\x94")), QStringLiteral(u"\u201Cquoted\u201D"));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("m.txt"));
    writeFileBytes(path, encodeAnsiText(QStringLiteral(u"Señor €5\r\n")));
    EXPECT_EQ(decodeAnsiText(readFileBytes(path)), QStringLiteral(u"Señor €5\r\n"));
    try {
        readFileBytes(dir.filePath(QStringLiteral("missing.txt")));
        ADD_FAILURE() << "reading a missing file must throw";
    } catch (const QuilloError &error) {
        EXPECT_NE(error.number(), 0);
        EXPECT_FALSE(error.description().isEmpty());
    }
    EXPECT_THROW(writeFileBytes(dir.filePath(QStringLiteral("no/such/folder/x.txt")), "x"), QuilloError);
}

TEST(SaveTarget, ReadOnlyIsRefusedAndANewFileAskedFor)
{
    QTemporaryDir dir;
    const QString writable = dir.filePath(QStringLiteral("list.txt"));
    const QString readOnly = dir.filePath(QStringLiteral("locked.txt"));
    writeFileBytes(writable, "1");
    writeFileBytes(readOnly, "1");
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner);
    Dialogs::FileRequest save;
    save.confirmCreate = save.refuseReadOnly = true;
    using Kind = SaveTargetCheck::Kind;
    const std::tuple<QString, bool, Kind, QString> cases[] = {
        {writable, true, Kind::Fine, QString()},
        {readOnly, true, Kind::Refuse, QStringLiteral("locked.txt\r\nThis file is set to read-only.\r\nTry again with a different file name.")},
        {dir.filePath(QStringLiteral("new.txt")), true, Kind::AskCreate,
         QStringLiteral("new.txt\r\nThis file does not exist.\r\nDo you want to create the file?")},
        // A request without the flags (an open dialog) takes any of them.
        {readOnly, false, Kind::Fine, QString()},
        {dir.filePath(QStringLiteral("new.txt")), false, Kind::Fine, QString()},
    };
    for (const auto &[path, flags, kind, text] : cases) {
        const SaveTargetCheck check = checkSaveTarget(path, flags ? save : Dialogs::FileRequest{});
        EXPECT_EQ(int(check.kind), int(kind)) << path.toStdString();
        EXPECT_EQ(check.text, text);
    }
}

} // namespace
