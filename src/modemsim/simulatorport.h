#pragma once

#include "modemresponder.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

// The port named SIMULATOR: a byte device whose far end is the simulated modem, in this
// process. It answers at once (unless its configuration says otherwise) so an operator can
// try a whole run without hardware; the messages it accepts are appended to recordPath.
// A dropped line (HangUpAfterMessages) shows as readChannelFinished().
class SimulatorPort : public QIODevice
{
    Q_OBJECT
public:
    SimulatorPort(const ModemConfig &config, const QString &recordPath, QObject *parent = nullptr);

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return m_incoming.size() + QIODevice::bytesAvailable(); }

    // The config the SIMULATOR port uses: built-in defaults, overridden by simulator.ini in
    // the log folder when there is one.
    static ModemConfig configFor(const QString &logFolder);
    static constexpr const char *kRecordFileName = "SimulatorMessages.log";
    static constexpr const char *kConfigFileName = "simulator.ini";

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 size) override;

private:
    void deliver(const QByteArray &bytes);

    ModemResponder m_modem;
    QString m_recordPath;
    QByteArray m_incoming;
    bool m_notifyPending = false;
    bool m_hungUp = false;
};

// Makes the port name SIMULATOR open a SimulatorPort in the Kestrel driver, with its
// configuration and record in the modem log folder. Called once by each program that
// offers SIMULATOR; calling it again changes nothing.
void installSimulatorPort();
