// Gammu, a client written for real modems, identifies modemsim and sends through it: the
// proof that modemsim answers in the shapes real clients expect, not only those of our driver.

#include "modemsimprocess.h"
#include "kestrel/submitdecoder.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

constexpr int kGammuTimeLimitMs = 30000;

struct GammuRun { bool finished = false; int exitCode = -1; QString output; };

// Runs gammu with a configuration for the port in folder, within the time limit.
GammuRun gammu(const QString &folder, const QString &port, const QStringList &args)
{
    const QString rc = QDir(folder).filePath(QStringLiteral("gammurc"));
    QFile file(rc);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write("[gammu]\ndevice = " + port.toLocal8Bit() + "\nconnection = at\nlogformat = textall\nlogfile = "
               + QDir(folder).filePath(QStringLiteral("gammu.log")).toLocal8Bit() + "\n");
    file.close();
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8")); // the text argument is UTF-8
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("gammu"), QStringList{QStringLiteral("-c"), rc} + args);
    GammuRun run;
    run.finished = process.waitForFinished(kGammuTimeLimitMs);
    if (!run.finished) {
        process.kill();
        process.waitForFinished(1000);
    }
    run.exitCode = process.exitCode();
    QFile log(QDir(folder).filePath(QStringLiteral("gammu.log")));
    run.output = QString::fromLocal8Bit(process.readAll());
    if (log.open(QIODevice::ReadOnly))
        run.output += QStringLiteral("\n--- gammu.log (end) ---\n") + QString::fromLocal8Bit(log.readAll().right(3000));
    return run;
}

TEST(Gammu, IdentifiesAndSendsThroughModemsim)
{
    if (QStandardPaths::findExecutable(QStringLiteral("gammu")).isEmpty())
        GTEST_SKIP() << "gammu is not installed (scripts/install-deps installs it): modemsim not checked against a real client";

    ModemSimProcess sim;
    ASSERT_TRUE(sim.start());

    const GammuRun identify = gammu(sim.folder(), sim.port(), {QStringLiteral("--identify")});
    ASSERT_TRUE(identify.finished) << identify.output.toStdString();
    ASSERT_EQ(identify.exitCode, 0) << identify.output.toStdString();
    EXPECT_TRUE(identify.output.contains(QStringLiteral("356938035643809"))) << identify.output.toStdString();

    const struct { const char *name; QString number; QString text; QStringList extra; } cases[] = {
        {"GSM alphabet with an extension character", QStringLiteral("+447700900123"), QStringLiteral("Meet at 10 [gate 4] @ noon"), {}},
        {"Unicode text", QStringLiteral("+447700900124"), QStringLiteral("Čas je zlato ☺"), {QStringLiteral("-unicode")}},
    };
    for (const auto &c : cases) {
        const GammuRun send = gammu(sim.folder(), sim.port(),
                                    QStringList{QStringLiteral("sendsms"), QStringLiteral("TEXT"), c.number,
                                                QStringLiteral("-text"), c.text} + c.extra);
        ASSERT_TRUE(send.finished) << c.name << '\n' << send.output.toStdString();
        EXPECT_EQ(send.exitCode, 0) << c.name << '\n' << send.output.toStdString();
    }

    const QStringList recorded = sim.recorded();
    ASSERT_EQ(recorded.size(), qsizetype(std::size(cases)));
    for (qsizetype i = 0; i < recorded.size(); ++i) {
        const QByteArray pdu = QJsonDocument::fromJson(recorded[i].toUtf8()).object().value(QStringLiteral("pdu")).toString().toLatin1();
        gsm::DecodedSubmit decoded;
        QString error;
        ASSERT_TRUE(gsm::decodeSubmit(pdu, -1, &decoded, &error)) << cases[i].name << ": " << error.toStdString();
        EXPECT_EQ(decoded.destination.toStdString(), cases[i].number.toStdString()) << cases[i].name;
        EXPECT_EQ(decoded.text.toStdString(), cases[i].text.toStdString()) << cases[i].name;
        // Gammu puts the service centre it read with AT+CSCA? into each PDU.
        EXPECT_EQ(decoded.smsc.toStdString(), "+447785016005") << cases[i].name;
    }
}

} // namespace
