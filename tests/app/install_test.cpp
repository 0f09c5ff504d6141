// `cmake --install` makes a complete application folder: the program, the manual, the three
// empty data folders, and on Linux a launcher, a desktop entry and the icon.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(Installation, PutsProgramManualFoldersAndDesktopEntryTogether)
{
    QTemporaryDir prefix;
    ASSERT_TRUE(prefix.isValid());
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral(QUILLO_CMAKE_COMMAND),
                  {QStringLiteral("--install"), QStringLiteral(QUILLO_BUILD_DIR), QStringLiteral("--prefix"),
                   prefix.path(), QStringLiteral("--component"), QStringLiteral("quillo")});
    ASSERT_TRUE(install.waitForFinished(120000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAll().toStdString();

#ifdef Q_OS_WIN
    const QDir app(prefix.path());
    const QString program = app.filePath(QStringLiteral("quillo.exe"));
#else
    const QDir app(prefix.path() + QStringLiteral("/lib/quillo"));
    const QString program = app.filePath(QStringLiteral("quillo"));
#endif
    EXPECT_TRUE(QFileInfo(program).isExecutable()) << program.toStdString();
#ifdef Q_OS_UNIX
    // The program opens no database file without it.
    EXPECT_TRUE(QFileInfo(app.filePath(QStringLiteral("quillo-probe"))).isExecutable());
#endif
    EXPECT_TRUE(QFileInfo::exists(app.filePath(QStringLiteral("help/index.htm"))));
    EXPECT_TRUE(QFileInfo::exists(app.filePath(QStringLiteral("help/troubleshooting.htm"))));
    for (const char *folder : {"logs", "Phone Lists", "Message Files"}) {
        const QDir dir(app.filePath(QLatin1String(folder)));
        EXPECT_TRUE(dir.exists()) << folder;
        EXPECT_TRUE(dir.isEmpty()) << folder << " should start empty";
    }
    // Nothing the program writes for itself comes with the installation.
    EXPECT_FALSE(QFileInfo::exists(app.filePath(QStringLiteral("config.ini"))));

#if defined(Q_OS_LINUX)
    // The launcher on the PATH leads to the program in its folder, where it finds its files.
    const QFileInfo launcher(prefix.path() + QStringLiteral("/bin/quillo"));
    EXPECT_TRUE(launcher.isSymLink());
    EXPECT_EQ(launcher.canonicalFilePath(), QFileInfo(program).canonicalFilePath());
    // The command line sits beside the program, so it finds the same data folder.
    const QFileInfo cli(prefix.path() + QStringLiteral("/bin/quillo-cli"));
    EXPECT_TRUE(cli.isSymLink());
    EXPECT_EQ(cli.canonicalFilePath(), QFileInfo(app.filePath(QStringLiteral("quillo-cli"))).canonicalFilePath());
    EXPECT_TRUE(QFileInfo(app.filePath(QStringLiteral("quillo-cli"))).isExecutable());

    QFile entry(prefix.path() + QStringLiteral("/share/applications/quillo.desktop"));
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(entry.readAll()).split(QLatin1Char('\n'));
    EXPECT_TRUE(lines.contains(QStringLiteral("[Desktop Entry]")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Type=Application")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Exec=\"") + program + QLatin1Char('"')))
        << "the entry must start the installed program";
    EXPECT_TRUE(lines.contains(QStringLiteral("Icon=quillo")));
    for (const char *icon : {"scalable/apps/quillo.svg", "48x48/apps/quillo.png", "256x256/apps/quillo.png"})
        EXPECT_TRUE(QFileInfo::exists(prefix.path() + QStringLiteral("/share/icons/hicolor/") + QLatin1String(icon)))
            << icon;
#endif
}
