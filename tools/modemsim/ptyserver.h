#pragma once

#include "modemsim/modemresponder.h"

#include <QObject>
#include <QString>

class QSocketNotifier;

// Serves the simulated modem on a pseudo-terminal: the device path it prints is what a
// program opens as its serial port.
class PtyServer : public QObject
{
    Q_OBJECT
public:
    explicit PtyServer(ModemResponder *modem, QObject *parent = nullptr);
    ~PtyServer() override;

    // Opens the pseudo-terminal; false with an error text on failure.
    bool open(QString *error);
    QString devicePath() const { return m_devicePath; }
    // Drops the line: the far side's next read fails, as when a modem is switched off.
    void hangUp();

signals:
    void closed();

private:
    void readMaster();
    void writeMaster(const QByteArray &bytes);

    ModemResponder *m_modem;
    int m_master = -1;
    int m_slave = -1;
    QString m_devicePath;
    QSocketNotifier *m_notifier = nullptr;
};
