#include "common/error.h"
#include "inihandling.h"

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
    void write(const QByteArray &bytes) const
    {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray read() const
    {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
};

// Bytes with NULs in them, as written.
template <std::size_t N>
QByteArray raw(const char (&bytes)[N])
{
    return QByteArray(bytes, N - 1);
}

bool runningAsRoot()
{
    return ::geteuid() == 0;
}

// What a read gives for files as people and other programs leave them.
struct ReadCase
{
    const char *name;
    QByteArray file;
    const char *section;
    const char *key;
    const char *expected;
};

void PrintTo(const ReadCase &c, std::ostream *os)
{
    *os << c.name;
}

class INIHandlingRead : public testing::TestWithParam<ReadCase>
{
};

TEST_P(INIHandlingRead, GivesTheValueOrEmpty)
{
    const ReadCase &c = GetParam();
    IniFile f;
    f.write(c.file);
    EXPECT_EQ(f.ini.GetKey(QLatin1String(c.section), QLatin1String(c.key)).toStdString(), c.expected);
}

const QByteArray kLongLine = QByteArray("Junk=") + QByteArray(2'000'000, 'x') + "\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, INIHandlingRead,
    testing::Values(
        ReadCase{"Plain", "[COMM]\r\nPort=COM3\r\n", "COMM", "Port", "COM3"},
        ReadCase{"NamesIgnoreCase", "[comm]\r\nPORT=COM3\r\n", "COMM", "port", "COM3"},
        ReadCase{"BlanksAroundNameAndValue", "  [ COMM ]\r\n  Port =  COM3 \t\r\n", "COMM", "Port", "COM3"},
        ReadCase{"QuotesRemoved", "[SMS]\r\nSMSC=\"+4412\"\r\n", "SMS", "SMSC", "+4412"},
        ReadCase{"UnixLineEnds", "[COMM]\nPort=COM3\n", "COMM", "Port", "COM3"},
        ReadCase{"NoFinalLineEnd", "[COMM]\r\nPort=COM3", "COMM", "Port", "COM3"},
        ReadCase{"EqualsInValue", "[SMS]\r\nPIN=1=2\r\n", "SMS", "PIN", "1=2"},
        ReadCase{"MissingKey", "[COMM]\r\nPort=COM3\r\n", "COMM", "BaudRate", ""},
        ReadCase{"MissingSection", "[COMM]\r\nPort=COM3\r\n", "SMS", "Port", ""},
        ReadCase{"KeyOfAnotherSection", "[SMS]\r\nPort=COM9\r\n[COMM]\r\nBaudRate=1\r\n", "COMM", "Port", ""},
        ReadCase{"KeyBeforeAnySection", "Port=COM9\r\n[COMM]\r\n", "COMM", "Port", ""},
        ReadCase{"CommentedOut", "[COMM]\r\n;Port=COM9\r\n", "COMM", ";Port", ""},
        ReadCase{"UnclosedHeaderIsNoSection", "[COMM\r\nPort=COM9\r\n", "COMM", "Port", ""},
        ReadCase{"DuplicateKeyFirstWins", "[COMM]\r\nPort=COM3\r\nPort=COM4\r\n", "COMM", "Port", "COM3"},
        ReadCase{"DuplicateSectionFirstWins", "[COMM]\r\nPort=COM3\r\n[COMM]\r\nPort=COM4\r\n", "COMM", "Port",
                 "COM3"},
        ReadCase{"KeyOnlyInSecondDuplicate", "[COMM]\r\n[COMM]\r\nPort=COM4\r\n", "COMM", "Port", "COM4"},
        ReadCase{"AfterVeryLongLine", "[COMM]\r\n" + kLongLine + "Port=COM5\r\n", "COMM", "Port", "COM5"},
        ReadCase{"BinaryGarbage", raw("\x00\xff\xfe[\x01]\x00=\x9d\r\n\x80\x81=\n"), "COMM", "Port", ""},
        ReadCase{"Windows1252Value", "[SMS]\r\nPIN=caf\xe9\r\n", "SMS", "PIN", "caf\xc3\xa9"}),
    [](const testing::TestParamInfo<ReadCase> &info) { return std::string(info.param.name); });

TEST(INIHandlingRead, ValuesAreCutAt255Characters)
{
    IniFile f;
    f.write("[SMS]\r\nPIN=" + QByteArray(300, '7') + "\r\n");
    EXPECT_EQ(f.ini.GetKey(QStringLiteral("SMS"), QStringLiteral("PIN")), QString(255, QLatin1Char('7')));
}

TEST(INIHandlingRead, UnreadableOrMissingFileReadsEmpty)
{
    IniFile missing;
    EXPECT_TRUE(missing.ini.GetKey(QStringLiteral("COMM"), QStringLiteral("Port")).isEmpty());

    IniFile directory;
    ASSERT_TRUE(QDir(directory.dir.path()).mkdir(QStringLiteral("config.ini")));
    EXPECT_TRUE(directory.ini.GetKey(QStringLiteral("COMM"), QStringLiteral("Port")).isEmpty());

    // A pipe with no writer would block a reader that opened it.
    IniFile pipe;
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe.path()).constData(), 0600), 0);
    EXPECT_TRUE(pipe.ini.GetKey(QStringLiteral("COMM"), QStringLiteral("Port")).isEmpty());
    EXPECT_THROW(pipe.ini.SetKey(QStringLiteral("COMM"), QStringLiteral("Port"), QStringLiteral("COM1")), QuilloError);

    if (!runningAsRoot()) {
        IniFile locked;
        locked.write("[COMM]\r\nPort=COM3\r\n");
        QFile::setPermissions(locked.path(), QFileDevice::WriteOwner);
        EXPECT_TRUE(locked.ini.GetKey(QStringLiteral("COMM"), QStringLiteral("Port")).isEmpty());
    }
}

// A write changes one line or adds one; every other byte stays as it was.
struct WriteCase
{
    const char *name;
    QByteArray before;
    const char *section;
    const char *key;
    const char *value;
    QByteArray after;
};

void PrintTo(const WriteCase &c, std::ostream *os)
{
    *os << c.name;
}

class INIHandlingWrite : public testing::TestWithParam<WriteCase>
{
};

TEST_P(INIHandlingWrite, ChangesOnlyWhatItSets)
{
    const WriteCase &c = GetParam();
    IniFile f;
    if (!c.before.isNull())
        f.write(c.before);
    f.ini.SetKey(QLatin1String(c.section), QLatin1String(c.key), QString::fromUtf8(c.value));
    EXPECT_EQ(f.read().toStdString(), c.after.toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, INIHandlingWrite,
    testing::Values(
        WriteCase{"CreatesFile", QByteArray(), "LOG", "SysLog", "1", "[LOG]\r\nSysLog=1\r\n"},
        WriteCase{"UpdatesInPlaceKeepingSpelling", "; mine\r\n[comm]\r\nport = COM1\r\nBaudRate=9600\r\n", "COMM",
                  "Port", "COM3", "; mine\r\n[comm]\r\nport=COM3\r\nBaudRate=9600\r\n"},
        WriteCase{"KeepsOtherLineEnds", "[A]\nx=1\n[COMM]\nPort=COM1\n", "COMM", "Port", "COM2",
                  "[A]\nx=1\n[COMM]\nPort=COM2\n"},
        WriteCase{"NewKeyAtEndOfItsSection", "[COMM]\r\nPort=COM1\r\n\r\n[SMS]\r\nPIN=1\r\n", "COMM", "Parity",
                  "None", "[COMM]\r\nPort=COM1\r\nParity=None\r\n\r\n[SMS]\r\nPIN=1\r\n"},
        WriteCase{"NewKeyInEmptySection", "[COMM]\r\n[SMS]\r\n", "COMM", "Port", "COM1",
                  "[COMM]\r\nPort=COM1\r\n[SMS]\r\n"},
        WriteCase{"NewSectionAtEnd", "[LOG]\r\nSysLog=1\r\n", "COMM", "Port", "COM3",
                  "[LOG]\r\nSysLog=1\r\n[COMM]\r\nPort=COM3\r\n"},
        WriteCase{"NoFinalLineEnd", "[LOG]\r\nSysLog=1", "LOG", "MsgLog", "2", "[LOG]\r\nSysLog=1\r\nMsgLog=2\r\n"},
        WriteCase{"EmptyValue", "[SMS]\r\nPIN=1234\r\n", "SMS", "PIN", "", "[SMS]\r\nPIN=\r\n"},
        WriteCase{"UntrimmedValue", QByteArray(), "SMS", "SMSC", " +44 ", "[SMS]\r\nSMSC= +44 \r\n"},
        WriteCase{"DuplicateSectionUpdatesWhereFound", "[COMM]\r\nBaudRate=1\r\n[COMM]\r\nPort=COM1\r\n", "COMM",
                  "Port", "COM2", "[COMM]\r\nBaudRate=1\r\n[COMM]\r\nPort=COM2\r\n"},
        WriteCase{"GarbageLinesSurvive", raw("\xff\x00junk\r\n[COMM]\r\n"), "COMM", "Port", "COM1",
                  raw("\xff\x00junk\r\n[COMM]\r\nPort=COM1\r\n")},
        WriteCase{"Windows1252LinesSurvive", "[SMS]\r\nNote=caf\xe9\r\n", "SMS", "PIN", "1",
                  "[SMS]\r\nNote=caf\xe9\r\nPIN=1\r\n"}),
    [](const testing::TestParamInfo<WriteCase> &info) { return std::string(info.param.name); });

TEST(INIHandlingWrite, RefusesWhatWouldBreakTheFormat)
{
    IniFile f;
    struct Bad
    {
        const char *section;
        const char *key;
        const char *value;
    };
    const Bad bad[] = {{"COMM", "Port", "COM1\r\n[LOG]\r\nSysLog=2"}, {"", "Port", "x"}, {"A]B", "Port", "x"},
                       {"COMM", "Po=rt", "x"}, {"COMM", "Port\n", "x"}, {"COMM", " ", "x"}};
    for (const Bad &b : bad)
        EXPECT_THROW(f.ini.SetKey(QLatin1String(b.section), QLatin1String(b.key), QLatin1String(b.value)), QuilloError)
            << b.section << "/" << b.key;
    EXPECT_EQ(f.read(), QByteArray("<missing>"));
}

TEST(INIHandlingWrite, FailureIsReportedAndLosesNothing)
{
    // A folder that does not exist.
    IniFile gone;
    INIHandling missingFolder(gone.dir.path() + QStringLiteral("/nowhere"), QStringLiteral("config.ini"));
    EXPECT_THROW(missingFolder.SetKey(QStringLiteral("COMM"), QStringLiteral("Port"), QStringLiteral("COM1")),
                 QuilloError);

    // config.ini that is not a file.
    IniFile directory;
    ASSERT_TRUE(QDir(directory.dir.path()).mkdir(QStringLiteral("config.ini")));
    EXPECT_THROW(directory.ini.SetKey(QStringLiteral("COMM"), QStringLiteral("Port"), QStringLiteral("COM1")),
                 QuilloError);

    if (runningAsRoot())
        return; // permissions do not hold back root
    IniFile readOnly;
    readOnly.write("[COMM]\r\nPort=COM1\r\n");
    QFile::setPermissions(readOnly.path(), QFileDevice::ReadOwner);
    EXPECT_THROW(readOnly.ini.SetKey(QStringLiteral("COMM"), QStringLiteral("Port"), QStringLiteral("COM2")),
                 QuilloError);
    EXPECT_EQ(readOnly.read(), QByteArray("[COMM]\r\nPort=COM1\r\n"));

    // Unreadable: rewriting it would drop what could not be read.
    IniFile writeOnly;
    writeOnly.write("[LOG]\r\nSysLog=2\r\n");
    QFile::setPermissions(writeOnly.path(), QFileDevice::WriteOwner);
    EXPECT_THROW(writeOnly.ini.SetKey(QStringLiteral("COMM"), QStringLiteral("Port"), QStringLiteral("COM2")),
                 QuilloError);
    QFile::setPermissions(writeOnly.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(writeOnly.read(), QByteArray("[LOG]\r\nSysLog=2\r\n"));
}

} // namespace
