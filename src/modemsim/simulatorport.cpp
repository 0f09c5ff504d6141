#include "simulatorport.h"

#include "messagerecorder.h"
#include "kestrel/portopeners.h"

#include <QDir>
#include <QFileInfo>

SimulatorPort::SimulatorPort(const ModemConfig &config, const QString &recordPath, QObject *parent)
    : QIODevice(parent), m_modem(config), m_recordPath(recordPath)
{
    connect(&m_modem, &ModemResponder::transmit, this, &SimulatorPort::deliver);
    connect(&m_modem, &ModemResponder::messageReceived, this, [this](const ReceivedMessage &m) {
        if (!m_recordPath.isEmpty())
            MessageRecorder(m_recordPath).record(m);
    });
    connect(&m_modem, &ModemResponder::reportSent, this, [this](const SentReport &r) {
        if (!m_recordPath.isEmpty())
            MessageRecorder(m_recordPath).record(r);
    });
    connect(&m_modem, &ModemResponder::messageDelivered, this, [this](const DeliveredMessage &m) {
        if (!m_recordPath.isEmpty())
            MessageRecorder(m_recordPath).record(m);
    });
    connect(&m_modem, &ModemResponder::hungUp, this, [this] {
        m_hungUp = true;
        // After the answer already on its way has been read, as on a real line.
        QMetaObject::invokeMethod(this, &SimulatorPort::readChannelFinished, Qt::QueuedConnection);
    });
}

ModemConfig SimulatorPort::configFor(const QString &logFolder)
{
    ModemConfig config;
    if (!logFolder.isEmpty()) {
        const QString path = QDir(logFolder).filePath(QString::fromLatin1(kConfigFileName));
        if (QFileInfo::exists(path))
            ModemConfig::load(path, &config, nullptr); // a bad file leaves the defaults
    }
    return config;
}

void SimulatorPort::deliver(const QByteArray &bytes)
{
    m_incoming.append(bytes);
    // Announce later, not from inside the write that caused the answer, as a real port would.
    if (!m_notifyPending) {
        m_notifyPending = true;
        QMetaObject::invokeMethod(this, [this] {
            m_notifyPending = false;
            if (!m_incoming.isEmpty())
                emit readyRead();
        }, Qt::QueuedConnection);
    }
}

qint64 SimulatorPort::readData(char *data, qint64 maxSize)
{
    const qint64 n = qMin<qint64>(maxSize, m_incoming.size());
    memcpy(data, m_incoming.constData(), size_t(n));
    m_incoming.remove(0, n);
    return n;
}

qint64 SimulatorPort::writeData(const char *data, qint64 size)
{
    if (m_hungUp)
        return -1;
    m_modem.receive(QByteArray(data, int(size)));
    return size;
}

void installSimulatorPort()
{
    PortOpeners::set(QStringLiteral("SIMULATOR"), [](const QString &logFolder) {
        const QString record = logFolder.isEmpty() || !QDir(logFolder).exists()
                                   ? QString() : QDir(logFolder).filePath(QString::fromLatin1(SimulatorPort::kRecordFileName));
        auto port = std::make_unique<SimulatorPort>(SimulatorPort::configFor(logFolder), record);
        port->open(QIODevice::ReadWrite | QIODevice::Unbuffered);
        return OpenedPort{std::move(port), QStringLiteral("simulated modem")};
    });
}
