#include "common/datafolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kProgram = QStringLiteral("/usr/lib/quillo/");
const QString kUser = QStringLiteral("/home/ann/.local/share/Quillo");

const QStringList kUserFolders = {kUser + QLatin1Char('/'), kUser + QStringLiteral("/logs"),
                                  kUser + QStringLiteral("/Phone Lists"), kUser + QStringLiteral("/Message Files")};

TEST(DataFolder, ChoiceFollowsTheProgramFoldersWritability)
{
    struct Case
    {
        const char *name;
        bool programWritable;
        QString userFolder;
        QSet<QString> cannotMake;
        QString expectedPath;
        QStringList expectedMade;
        QString errorNames; // empty: no error
    };
    const Case cases[] = {
        {"a build or per-user install keeps its files beside the program", true, kUser, {}, kProgram, {}, {}},
        {"a system-wide install gets the per-user folder with its three folders", false, kUser, {},
         kUser + QLatin1Char('/'), kUserFolders, {}},
        {"a per-user folder that cannot be made is named and still used", false, kUser, {kUser + QLatin1Char('/')},
         kUser + QLatin1Char('/'), {kUser + QLatin1Char('/')}, kUser + QLatin1Char('/')},
        {"a folder inside it that cannot be made is named", false, kUser, {kUser + QStringLiteral("/Phone Lists")},
         kUser + QLatin1Char('/'), kUserFolders.mid(0, 3), kUser + QStringLiteral("/Phone Lists")},
        {"no per-user folder at all never falls back to the working directory", false, QString(), {}, kProgram, {},
         QStringLiteral("settings cannot be saved")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QStringList made;
        const DataFolderProbe probe{
            [&](const QString &folder) { return c.programWritable && folder == kProgram; },
            [&](const QString &folder) {
                made << folder;
                return !c.cannotMake.contains(folder);
            },
        };
        const DataFolder chosen = chooseDataFolder(kProgram, c.userFolder, probe);
        EXPECT_EQ(chosen.path, c.expectedPath);
        EXPECT_EQ(made, c.expectedMade);
        if (c.errorNames.isEmpty()) {
            EXPECT_TRUE(chosen.error.isEmpty()) << chosen.error.toStdString();
        } else {
            EXPECT_TRUE(chosen.error.contains(c.errorNames)) << chosen.error.toStdString();
            EXPECT_TRUE(chosen.error.contains(QStringLiteral("settings cannot be saved"))) << chosen.error.toStdString();
        }
    }
}

// The real probe and the real per-user location: XDG_DATA_HOME stands in for ~/.local/share.
TEST(DataFolder, FirstStartMakesTheFoldersUnderTheUsersDataHome)
{
    QTemporaryDir home;
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    const QString appName = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(QStringLiteral("Quillo"));

    const DataFolder chosen = locateDataFolder(home.path() + QStringLiteral("/no-such-program-folder/"));
    EXPECT_EQ(chosen.path, home.path() + QStringLiteral("/Quillo/"));
    EXPECT_TRUE(chosen.error.isEmpty()) << chosen.error.toStdString();
    for (const char *folder : {"logs", "Phone Lists", "Message Files"})
        EXPECT_TRUE(QDir(chosen.path + QLatin1String(folder)).exists()) << folder;

    // A program folder the user may write to is kept, and nothing is made elsewhere.
    QDir(home.path() + QStringLiteral("/Quillo")).removeRecursively();
    EXPECT_EQ(locateDataFolder(home.path() + QLatin1Char('/')).path, home.path() + QLatin1Char('/'));
    EXPECT_FALSE(QDir(home.path() + QStringLiteral("/Quillo")).exists());

    QCoreApplication::setApplicationName(appName);
    if (saved.isEmpty())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", saved);
}

} // namespace
