#include "common/ansitext.h"
#include "common/error.h"
#include "settings/inihandling.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct IniFile
{
    QTemporaryDir dir;
    INIHandling ini{dir.path(), QStringLiteral("config.ini")};

    QString path() const { return dir.path() + QStringLiteral("/config.ini"); }
    void write(const QByteArray &bytes) const { writeFileBytes(path(), bytes); }
    QByteArray read() const { return QFile::exists(path()) ? readFileBytes(path()) : QByteArray("<missing>"); }
    QString port() { return ini.GetKey(QStringLiteral("COMM"), QStringLiteral("Port")); }
    void setPort(const char *value) { ini.SetKey(QStringLiteral("COMM"), QStringLiteral("Port"), QLatin1String(value)); }
};

// Bytes with NULs in them, as written.
template <std::size_t N>
QByteArray raw(const char (&bytes)[N])
{
    return QByteArray(bytes, N - 1);
}

bool runningAsRoot() { return ::geteuid() == 0; }

// Files as people and other programs leave them.
TEST(INIHandlingRead, GivesTheValueOrEmpty)
{
    const struct { QByteArray file; const char *section; const char *key; QByteArray expected; } cases[] = {
        {"[comm]\r\nPORT=COM3\r\n", "COMM", "port", "COM3"},
        {"  [ COMM ]\r\n  Port =  COM3 \t\r\n", "COMM", "Port", "COM3"},
        {"[SMS]\r\nSMSC=\"+4412\"\r\n", "SMS", "SMSC", "+4412"},
        {"[COMM]\nPort=COM3", "COMM", "Port", "COM3"},
        {"[SMS]\r\nPIN=1=2\r\n", "SMS", "PIN", "1=2"},
        {"[SMS]\r\nPort=COM9\r\n[COMM]\r\nBaudRate=1\r\n", "COMM", "Port", ""},
        {"Port=COM9\r\n[COMM]\r\n", "COMM", "Port", ""},
        {"[COMM]\r\n;Port=COM9\r\n", "COMM", ";Port", ""},
        {"[COMM\r\nPort=COM9\r\n", "COMM", "Port", ""},
        {"[COMM]\r\nPort=COM3\r\nPort=COM4\r\n[COMM]\r\nPort=COM5\r\n", "COMM", "Port", "COM3"},
        {"[COMM]\r\n[COMM]\r\nPort=COM4\r\n", "COMM", "Port", "COM4"},
        {"[COMM]\r\nJunk=" + QByteArray(2'000'000, 'x') + "\r\nPort=COM5\r\n", "COMM", "Port", "COM5"},
        {raw("\x00\xff\xfe[\x01]\x00=\x9d\r\n\x80\x81=\n"), "COMM", "Port", ""},
        {"[SMS]\r\nPIN=caf\xe9\r\n", "SMS", "PIN", "caf\xc3\xa9"},
        {"[SMS]\r\nPIN=" + QByteArray(300, '7') + "\r\n", "SMS", "PIN", QByteArray(255, '7')},
    };
    for (const auto &c : cases) {
        IniFile f;
        f.write(c.file);
        EXPECT_EQ(f.ini.GetKey(QLatin1String(c.section), QLatin1String(c.key)).toUtf8(), c.expected)
            << c.file.left(60).toStdString();
    }
}

TEST(INIHandlingRead, UnreadableOrMissingFileReadsEmpty)
{
    IniFile missing;
    EXPECT_TRUE(missing.port().isEmpty());

    IniFile directory;
    ASSERT_TRUE(QDir(directory.dir.path()).mkdir(QStringLiteral("config.ini")));
    EXPECT_TRUE(directory.port().isEmpty());

    // A pipe with no writer would block a reader that opened it.
    IniFile pipe;
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe.path()).constData(), 0600), 0);
    EXPECT_TRUE(pipe.port().isEmpty());
    EXPECT_THROW(pipe.setPort("COM1"), QuilloError);

    if (!runningAsRoot()) {
        IniFile locked;
        locked.write("[COMM]\r\nPort=COM3\r\n");
        QFile::setPermissions(locked.path(), QFileDevice::WriteOwner);
        EXPECT_TRUE(locked.port().isEmpty());
    }
}

// A write changes one line or adds one; every other byte stays as it was.
TEST(INIHandlingWrite, ChangesOnlyWhatItSets)
{
    const struct
    {
        QByteArray before; // null: no file
        const char *section;
        const char *key;
        const char *value;
        QByteArray after;
    } cases[] = {
        {QByteArray(), "LOG", "SysLog", "1", "[LOG]\r\nSysLog=1\r\n"},
        {"; mine\r\n[comm]\r\nport = COM1\r\nBaudRate=9600\r\n", "COMM", "Port", "COM3",
         "; mine\r\n[comm]\r\nport=COM3\r\nBaudRate=9600\r\n"},
        {"[A]\nx=1\n[COMM]\nPort=COM1\n", "COMM", "Port", "COM2", "[A]\nx=1\n[COMM]\nPort=COM2\n"},
        {"[COMM]\r\nPort=COM1\r\n\r\n[SMS]\r\nPIN=1\r\n", "COMM", "Parity", "None",
         "[COMM]\r\nPort=COM1\r\nParity=None\r\n\r\n[SMS]\r\nPIN=1\r\n"},
        {"[COMM]\r\n[SMS]\r\n", "COMM", "Port", "COM1", "[COMM]\r\nPort=COM1\r\n[SMS]\r\n"},
        {"[LOG]\r\nSysLog=1\r\n", "COMM", "Port", "COM3", "[LOG]\r\nSysLog=1\r\n[COMM]\r\nPort=COM3\r\n"},
        {"[LOG]\r\nSysLog=1", "LOG", "MsgLog", "2", "[LOG]\r\nSysLog=1\r\nMsgLog=2\r\n"},
        {"[SMS]\r\nPIN=1234\r\n", "SMS", "PIN", "", "[SMS]\r\nPIN=\r\n"},
        {QByteArray(), "SMS", "SMSC", " +44 ", "[SMS]\r\nSMSC= +44 \r\n"},
        {"[COMM]\r\nBaudRate=1\r\n[COMM]\r\nPort=COM1\r\n", "COMM", "Port", "COM2",
         "[COMM]\r\nBaudRate=1\r\n[COMM]\r\nPort=COM2\r\n"},
        {raw("\xff\x00junk\r\n[COMM]\r\n"), "COMM", "Port", "COM1", raw("\xff\x00junk\r\n[COMM]\r\nPort=COM1\r\n")},
        {"[SMS]\r\nNote=caf\xe9\r\n", "SMS", "PIN", "1", "[SMS]\r\nNote=caf\xe9\r\nPIN=1\r\n"},
    };
    for (const auto &c : cases) {
        IniFile f;
        if (!c.before.isNull())
            f.write(c.before);
        f.ini.SetKey(QLatin1String(c.section), QLatin1String(c.key), QString::fromUtf8(c.value));
        EXPECT_EQ(f.read().toStdString(), c.after.toStdString());
    }
}

TEST(INIHandlingWrite, RefusesWhatWouldBreakTheFormat)
{
    IniFile f;
    const char *const bad[][3] = {{"COMM", "Port", "COM1\r\n[LOG]\r\nSysLog=2"}, {"", "Port", "x"},
                                  {"A]B", "Port", "x"}, {"COMM", "Po=rt", "x"}, {"COMM", "Port\n", "x"},
                                  {"COMM", " ", "x"}};
    for (const auto &b : bad)
        EXPECT_THROW(f.ini.SetKey(QLatin1String(b[0]), QLatin1String(b[1]), QLatin1String(b[2])), QuilloError)
            << b[0] << "/" << b[1];
    EXPECT_EQ(f.read(), QByteArray("<missing>"));
}

TEST(INIHandlingWrite, FailureIsReportedAndLosesNothing)
{
    IniFile gone;
    INIHandling missingFolder(gone.dir.path() + QStringLiteral("/nowhere"), QStringLiteral("config.ini"));
    EXPECT_THROW(missingFolder.SetKey(QStringLiteral("COMM"), QStringLiteral("Port"), QStringLiteral("COM1")),
                 QuilloError);

    IniFile directory;
    ASSERT_TRUE(QDir(directory.dir.path()).mkdir(QStringLiteral("config.ini")));
    EXPECT_THROW(directory.setPort("COM1"), QuilloError);

    if (runningAsRoot())
        return; // permissions do not hold back root
    // Read-only, and unreadable: rewriting that would drop what could not be read.
    for (const auto permissions : {QFileDevice::ReadOwner, QFileDevice::WriteOwner}) {
        IniFile f;
        f.write("[LOG]\r\nSysLog=2\r\n");
        QFile::setPermissions(f.path(), permissions);
        EXPECT_THROW(f.setPort("COM2"), QuilloError);
        QFile::setPermissions(f.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        EXPECT_EQ(f.read(), QByteArray("[LOG]\r\nSysLog=2\r\n"));
    }
}

} // namespace
