#include "modemsession.h"

#include "modemlog.h"

#include <QIODevice>
#include <QSerialPort>

ModemSession::ModemSession(std::unique_ptr<QIODevice> device, ModemLog *log, QObject *parent)
    : QObject(parent), m_device(std::move(device)), m_queue(log)
{
    m_queue.attach(m_device.get());
    if (auto *port = qobject_cast<QSerialPort *>(m_device.get())) {
        connect(port, &QSerialPort::errorOccurred, this, [this, port, log](QSerialPort::SerialPortError e) {
            if (e == QSerialPort::NoError || e == QSerialPort::TimeoutError)
                return;
            if (log)
                log->error(QStringLiteral("Port error %1: %2").arg(int(e)).arg(port->errorString()));
            // The device going away (USB modem unplugged, line hung up) shows as a resource
            // error, or on some drivers as read errors that would repeat for ever.
            if (e == QSerialPort::ResourceError || e == QSerialPort::PermissionError
                || e == QSerialPort::ReadError || e == QSerialPort::WriteError)
                m_queue.markLost();
        });
    }
}

ModemSession::~ModemSession()
{
    close();
}

void ModemSession::close()
{
    m_queue.detach();
    if (m_device) {
        m_device->disconnect(this);
        m_device->close();
    }
}
