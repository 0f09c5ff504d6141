#pragma once

#include "kestrel/kestrel.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// Runs build/bin/modemsim on a pseudo-terminal with a given configuration for one test.
class ModemSimProcess
{
public:
    ~ModemSimProcess();
    // iniText: the configuration file's contents. False when modemsim did not come up.
    bool start(const QString &iniText = {});
    QString port() const { return m_port; }
    QString folder() const { return m_dir.path(); }
    // The JSON lines modemsim recorded so far.
    QStringList recorded() const;
    // The file named as [incoming] File in a configuration for this modemsim.
    QString incomingFile() const;
    // Writes lines "<delay ms> <sender> <text>" to incomingFile() and has modemsim deliver them.
    bool deliver(const QString &lines);
    bool waitForExit(int ms);

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_port;
};

// A component set up as the application sets it, with short time limits for tests.
std::unique_ptr<SmsComponent> testComponent(const QString &port, const QString &logFolder, int commTimeoutMs = 2000);
