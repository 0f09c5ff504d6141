// Connecting and reading over a pseudo-terminal to modemsim, and the in-process SIMULATOR.

#include "kestrel/kestrelerrors.h"
#include "modemsimprocess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The in-process SIMULATOR reads its faults from simulator.ini in the log folder.
void writeSimulatorIni(const QString &folder, const QByteArray &text)
{
    QFile ini(QDir(folder).filePath(QStringLiteral("simulator.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(text);
}

TEST(KestrelConnect, PinNetworkSimAndTimingStates)
{
    const struct
    {
        const char *name;
        const char *ini;
        const char *pin;  // empty: NoPin
        qint32 error;     // 0: connects
        int commTimeout = 2000;
    } cases[] = {
        {"no PIN asked", "", "", 0},
        {"PIN asked and given", "[sim]\nPIN=1234\n", "1234", 0},
        {"PIN given but not asked", "", "1234", 0},
        {"PIN asked, none given", "[sim]\nPIN=1234\n", "", kestrel::PinRequired},
        {"wrong PIN", "[sim]\nPIN=1234\n", "9999", kestrel::PinRejected},
        {"PIN that cannot be one", "[sim]\nPIN=1234\n", "12\"4", kestrel::PinRejected},
        {"no network within the limit", "[network]\nRegistered=false\n", "", kestrel::NotRegistered},
        {"network denies", "[network]\nDenied=true\n", "", kestrel::RegistrationDenied},
        {"registered on LTE only", "[network]\nLteOnly=true\n", "", 0},
        {"LTE-only modem without network", "[network]\nLteOnly=true\nRegistered=false\n", "", kestrel::NotRegistered},
        {"silent modem", "[faults]\nSilentAfterCommands=1\n", "", kestrel::NoAnswer, 300},
        {"slow modem within the limit", "[faults]\nReplyDelay=40\n", "", 0, 500},
    };
    for (const auto &c : cases) {
        ModemSimProcess sim;
        ASSERT_TRUE(sim.start(QString::fromLatin1(c.ini))) << c.name;
        auto modem = testComponent(sim.port(), sim.folder(), c.commTimeout);
        modem->setPIN(QString::fromLatin1(c.pin));
        modem->setNoPin(QByteArray(c.pin).isEmpty());
        QElapsedTimer clock;
        clock.start();
        modem->Connect();
        EXPECT_EQ(modem->IsError(false, QString()), c.error != 0) << c.name;
        EXPECT_EQ(modem->ErrorNumber(), c.error) << c.name << " " << modem->ErrorDescription().toStdString();
        EXPECT_LT(clock.elapsed(), std::min(2500, 5 * c.commTimeout)) << c.name; // the limits hold
    }
}

// A factory reset (AT&F) turns echo back on; the driver copes and reads everything.
TEST(KestrelConnect, ReadsModemAndNetworkAfterAFactoryReset)
{
    ModemSimProcess sim;
    ASSERT_TRUE(sim.start(QStringLiteral("[modem]\nManufacturer=Acme\nModel=M1\nIMEI=490154203237518\nIMSI=310150123456789\n"
                                         "[network]\nName=Test Net\nCode=31015\nRSSI=15\n")));
    auto modem = testComponent(sim.port(), sim.folder());
    modem->setInitFlag(true);
    modem->Connect();
    ASSERT_FALSE(modem->IsError(false, QString())) << modem->ErrorDescription().toStdString();
    // The refresh connects twice in a row.
    modem->Connect();
    ASSERT_FALSE(modem->IsError(false, QString())) << modem->ErrorDescription().toStdString();
    // The network name is read again after the code query, which left names on.
    EXPECT_EQ((QStringList{modem->Manufacturer(), modem->Model(), modem->IMEI(), modem->IMSI(), modem->NetworkName(),
                           modem->NetworkCode(), modem->NetworkName(), QString::number(modem->SignalStrength())}),
              (QStringList{"Acme", "M1", "490154203237518", "310150123456789", "Test Net", "31015", "Test Net", "48"}));
    const QString log = readFile(QDir(sim.folder()).filePath(QStringLiteral("Kestrel.log")));
    EXPECT_TRUE(log.contains(QStringLiteral("-> AT&F")));
    // Other programs sharing the modem read names, as they did before the code was read.
    const qsizetype code = log.indexOf(QStringLiteral("-> AT+COPS=3,2"));
    ASSERT_GE(code, 0);
    EXPECT_EQ(log.mid(code).count(QStringLiteral("-> AT+COPS=3,0")), 2);
}

TEST(KestrelConnect, PortProblemsAreErrorsNotCrashes)
{
    const struct { const char *name; const char *port; const char *stopBits; const char *parity; int dataBits; qint32 error; } cases[] = {
        {"no such device", "/dev/kestrel-no-such-port", "1", "N", 8, kestrel::PortOpenFailed},
        {"no port at all", "", "1", "N", 8, kestrel::PortOpenFailed},
        {"unknown parity", "SIMULATOR-PTY", "1", "X", 8, kestrel::PortSettingUnsupported},
        {"unknown stop bits", "SIMULATOR-PTY", "3", "N", 8, kestrel::PortSettingUnsupported},
        {"nine data bits", "SIMULATOR-PTY", "1", "N", 9, kestrel::PortSettingUnsupported},
#ifndef Q_OS_WIN
        {"1.5 stop bits with 8 data bits", "SIMULATOR-PTY", "1.5", "N", 8, kestrel::PortSettingUnsupported},
#endif
    };
    ModemSimProcess sim;
    ASSERT_TRUE(sim.start());
    for (const auto &c : cases) {
        const QString port = QByteArray(c.port) == "SIMULATOR-PTY" ? sim.port() : QString::fromLatin1(c.port);
        auto modem = testComponent(port, sim.folder());
        modem->setStopBits(QString::fromLatin1(c.stopBits));
        modem->setParity(QString::fromLatin1(c.parity));
        modem->setDataBits(qint16(c.dataBits));
        modem->Connect();
        EXPECT_EQ(modem->ErrorNumber(), c.error) << c.name;
        // Nothing that needs the modem works afterwards, and nothing waits.
        EXPECT_EQ(modem->SendSMS(QStringLiteral("+447700900123"), QStringLiteral("x"), false), QString());
        EXPECT_EQ(modem->ErrorNumber(), kestrel::NotConnected) << c.name;
    }
}

TEST(KestrelConnect, ErrorStaysUntilTheNextOperationAndShowsOnRequest)
{
    QTemporaryDir logs;
    writeSimulatorIni(logs.path(), "[sim]\nPIN=4321\n");
    auto modem = testComponent(QStringLiteral("SIMULATOR"), logs.path());
    QStringList shown;
    modem->setErrorDisplay([&](const QString &text, const QString &title) { shown << title << text; });
    modem->Connect();
    EXPECT_TRUE(modem->IsError(false, QStringLiteral("Quillo")));
    EXPECT_TRUE(shown.isEmpty());
    EXPECT_TRUE(modem->IsError(true, QStringLiteral("Quillo")));
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0], QStringLiteral("Quillo"));
    EXPECT_TRUE(shown[1].contains(QStringLiteral("9004"))) << shown[1].toStdString();
    EXPECT_EQ(modem->ErrorNumber(), kestrel::PinRequired);

    modem->setPIN(QStringLiteral("4321"));
    modem->setNoPin(false);
    modem->Connect();
    EXPECT_FALSE(modem->IsError(true, QStringLiteral("Quillo")));
    EXPECT_EQ(modem->ErrorNumber(), 0);
    EXPECT_EQ(shown.size(), 2);
}

TEST(KestrelConnect, ModemLogLevelsAndMaskedPin)
{
    QTemporaryDir logs;
    writeSimulatorIni(logs.path(), "[sim]\nPIN=8642\n");
    const QString logFile = QDir(logs.path()).filePath(QStringLiteral("Kestrel.log"));

    for (int level : {0, 1, 2}) {
        QFile::remove(logFile);
        auto modem = testComponent(QStringLiteral("SIMULATOR"), logs.path() + QStringLiteral("\\"));
        modem->setModemLogType(level);
        modem->setPIN(QStringLiteral("8642"));
        modem->setNoPin(false);
        modem->Connect();
        modem->setValidity(QStringLiteral("1Y")); // refused: an error line
        const QString log = readFile(logFile);
        EXPECT_FALSE(log.contains(QStringLiteral("8642"))) << level;
        EXPECT_EQ(log.contains(QStringLiteral("-> AT+CPIN=\"****\"")), level == 2) << level;
        EXPECT_EQ(log.contains(QStringLiteral("ERROR")), level >= 1) << level;
        EXPECT_EQ(log.contains(QStringLiteral("STATUS")), level == 2) << level;
    }

    auto modem = testComponent(QStringLiteral("SIMULATOR"), logs.path());
    modem->ClearLog(true);
    EXPECT_EQ(QFileInfo(logFile).size(), 0);
    EXPECT_FALSE(readFile(logFile + QStringLiteral(".bak")).isEmpty());

    // A folder that does not exist is silently no log at all.
    auto lost = testComponent(QStringLiteral("SIMULATOR"), QDir(logs.path()).filePath(QStringLiteral("missing")));
    lost->Connect();
    lost->ClearLog(false);
    EXPECT_FALSE(lost->IsError(false, QString()));
    EXPECT_FALSE(QDir(QDir(logs.path()).filePath(QStringLiteral("missing"))).exists());
}

} // namespace
