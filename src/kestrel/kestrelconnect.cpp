#include "kestreldriver.h"

#include "kestrelerrors.h"
#include "portopeners.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSerialPort>

namespace {

constexpr int kRegistrationPollMs = 250;

QString serialDeviceName(const QString &port)
{
#ifndef Q_OS_WIN
    // COMn is the first, second ... serial port: /dev/ttyS0, /dev/ttyS1 ...
    if (port.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)) {
        bool ok = false;
        const int n = port.mid(3).toInt(&ok);
        if (ok && n >= 1)
            return QStringLiteral("/dev/ttyS%1").arg(n - 1);
    }
#endif
    return port;
}

} // namespace

bool KestrelDriver::openPort()
{
    if (m_session && !m_session->isLost())
        return true;
    closePort();

    if (const PortOpener opener = PortOpeners::find(m_portName)) {
        OpenedPort port = opener(m_log.folder());
        if (!port.device || !port.device->isOpen()) {
            setError(kestrel::PortOpenFailed, QStringLiteral("%1: %2").arg(kestrel::errorDescription(kestrel::PortOpenFailed), m_portName));
            return false;
        }
        QIODevice *raw = port.device.get();
        startSession(std::move(port.device));
        QObject::connect(raw, &QIODevice::readChannelFinished, &m_session->queue(), &AtQueue::markLost);
        m_log.status(QStringLiteral("Opened the %1").arg(port.description));
        return true;
    }

    // Settings are checked before the port is touched, so a bad one names itself.
    QSerialPort::DataBits dataBits;
    switch (m_dataBits) {
    case 5: dataBits = QSerialPort::Data5; break;
    case 6: dataBits = QSerialPort::Data6; break;
    case 7: dataBits = QSerialPort::Data7; break;
    case 8: dataBits = QSerialPort::Data8; break;
    default:
        setError(kestrel::PortSettingUnsupported, QStringLiteral("Data bits %1 not supported").arg(m_dataBits));
        return false;
    }
    QSerialPort::StopBits stopBits;
    if (m_stopBits == QLatin1String("1"))
        stopBits = QSerialPort::OneStop;
    else if (m_stopBits == QLatin1String("1.5")) {
#ifdef Q_OS_WIN
        stopBits = QSerialPort::OneAndHalfStop;
#else
        // Termios knows one or two stop bits; a UART set to two with 5 data bits sends 1.5.
        // With more data bits the port would quietly use one, so refuse instead.
        if (m_dataBits != 5) {
            setError(kestrel::PortSettingUnsupported, QStringLiteral("1.5 stop bits need 5 data bits on this system"));
            return false;
        }
        stopBits = QSerialPort::TwoStop;
#endif
    }
    else if (m_stopBits == QLatin1String("2"))
        stopBits = QSerialPort::TwoStop;
    else {
        setError(kestrel::PortSettingUnsupported, QStringLiteral("Stop bits \"%1\" not supported").arg(m_stopBits));
        return false;
    }
    QSerialPort::Parity parity;
    switch (m_parity.isEmpty() ? u'?' : m_parity.at(0).unicode()) {
    case u'N': parity = QSerialPort::NoParity; break;
    case u'O': parity = QSerialPort::OddParity; break;
    case u'E': parity = QSerialPort::EvenParity; break;
    case u'M': parity = QSerialPort::MarkParity; break;
    case u'S': parity = QSerialPort::SpaceParity; break;
    default:
        setError(kestrel::PortSettingUnsupported, QStringLiteral("Parity \"%1\" not supported").arg(m_parity));
        return false;
    }
    if (m_baudRate <= 0) {
        setError(kestrel::PortSettingUnsupported, QStringLiteral("Baud rate %1 not supported").arg(m_baudRate));
        return false;
    }
    if (m_portName.isEmpty()) {
        setError(kestrel::PortOpenFailed, QStringLiteral("No port given"));
        return false;
    }

    auto port = std::make_unique<QSerialPort>();
    port->setPortName(serialDeviceName(m_portName));
    if (!port->open(QIODevice::ReadWrite)) {
        setError(kestrel::PortOpenFailed, QStringLiteral("%1: %2 (%3)").arg(kestrel::errorDescription(kestrel::PortOpenFailed), m_portName, port->errorString()));
        return false;
    }
    const bool applied = port->setBaudRate(m_baudRate) && port->setDataBits(dataBits)
                         && port->setParity(parity) && port->setStopBits(stopBits)
                         && port->setFlowControl(QSerialPort::NoFlowControl);
    if (!applied) {
        const QString why = port->errorString();
        port->close();
        setError(kestrel::PortSettingUnsupported,
                 QStringLiteral("%1: %2 baud, %3 data bits, parity %4, %5 stop bits (%6)")
                     .arg(kestrel::errorDescription(kestrel::PortSettingUnsupported)).arg(m_baudRate).arg(m_dataBits)
                     .arg(m_parity, m_stopBits, why));
        return false;
    }
    startSession(std::move(port));
    m_log.status(QStringLiteral("Opened %1 at %2 baud").arg(m_portName).arg(m_baudRate));
    return true;
}

void KestrelDriver::startSession(std::unique_ptr<QIODevice> device)
{
    m_session = std::make_unique<ModemSession>(std::move(device), &m_log);
    m_channel = std::make_unique<AtChannel>(m_session->queue());
}

void KestrelDriver::closePort()
{
    m_listener.reset();
    m_channel.reset();
    m_session.reset();
    m_connected = false;
}

bool KestrelDriver::synchronise()
{
    // A modem left waiting for a message body takes everything as text: escape ends that.
    m_channel->command("\x1B" "AT", qMin(m_commTimeout, 500), "<Esc>AT");
    m_channel->drain(20);
    AtResult r = m_channel->command("AT", m_commTimeout);
    if (!r.ok()) {
        failFrom(r, QStringLiteral("AT"));
        return false;
    }
    if (m_factoryReset) {
        r = m_channel->command("AT&F", m_commTimeout);
        if (!r.ok()) {
            failFrom(r, QStringLiteral("AT&F"));
            return false;
        }
    }
    r = m_channel->command("ATE0", m_commTimeout);
    if (!r.ok()) {
        failFrom(r, QStringLiteral("ATE0"));
        return false;
    }
    // Numeric +CME ERROR codes; a modem that lacks the command still works, with plain ERROR.
    r = m_channel->command("AT+CMEE=1", m_commTimeout);
    if (r.lost || r.timedOut) {
        failFrom(r, QStringLiteral("AT+CMEE=1"));
        return false;
    }
    return true;
}

bool KestrelDriver::unlockSim()
{
    QElapsedTimer clock;
    clock.start();
    bool pinSent = false;
    for (;;) {
        const AtResult r = m_channel->command("AT+CPIN?", m_commTimeout);
        // Right after power-up the SIM may still be busy (+CME ERROR 14): worth waiting for.
        if (r.reply.status == at::Status::CmeError && r.reply.code == 14 && clock.elapsed() + kRegistrationPollMs < m_connectTimeout) {
            AtChannel::pause(kRegistrationPollMs);
            continue;
        }
        if (!r.ok()) {
            failFrom(r, QStringLiteral("AT+CPIN?"));
            return false;
        }
        const QString state = at::parseCpin(r.reply.lines).trimmed().toUpper();
        if (state == QLatin1String("READY"))
            return true;
        if (state == QLatin1String("SIM PIN") && !pinSent) {
            if (m_noPin || m_pin.isEmpty()) {
                setError(kestrel::PinRequired, kestrel::errorDescription(kestrel::PinRequired));
                return false;
            }
            // A SIM PIN is 4 to 8 digits; anything else is refused here rather than spent
            // as one of the SIM's few tries (or let into the command line).
            static const QRegularExpression kPinForm(QStringLiteral("^[0-9]{4,8}$"));
            if (!kPinForm.match(m_pin).hasMatch()) {
                setError(kestrel::PinRejected, QStringLiteral("%1 (a PIN is 4 to 8 digits)").arg(kestrel::errorDescription(kestrel::PinRejected)));
                return false;
            }
            const QByteArray cmd = "AT+CPIN=\"" + m_pin.toLatin1() + "\"";
            const AtResult p = m_channel->command(cmd, m_commTimeout, "AT+CPIN=\"****\"");
            if (p.lost || p.timedOut) {
                failFrom(p, QStringLiteral("AT+CPIN"));
                return false;
            }
            if (!p.ok()) {
                setError(kestrel::PinRejected, QStringLiteral("%1 (%2)").arg(kestrel::errorDescription(kestrel::PinRejected), p.reply.errorText));
                return false;
            }
            pinSent = true;
            continue;
        }
        if (state == QLatin1String("SIM PUK")) {
            setError(kestrel::PukRequired, kestrel::errorDescription(kestrel::PukRequired));
            return false;
        }
        // Some SIMs take a moment after the PIN; other states are not ours to fix.
        if (!(pinSent && state == QLatin1String("SIM PIN")) || clock.elapsed() > m_connectTimeout) {
            setError(kestrel::SimNotReady, QStringLiteral("%1 (%2)").arg(kestrel::errorDescription(kestrel::SimNotReady), state.isEmpty() ? QStringLiteral("no state") : state));
            return false;
        }
        AtChannel::pause(kRegistrationPollMs);
    }
}

bool KestrelDriver::waitForRegistration()
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const AtResult r = m_channel->command("AT+CREG?", m_commTimeout);
        if (!r.ok()) {
            failFrom(r, QStringLiteral("AT+CREG?"));
            return false;
        }
        int stat = at::parseCreg(r.reply.lines);
        if (stat != 1 && stat != 5 && stat != 3) {
            // An LTE-only modem may register for SMS (over SGs or IMS) without a circuit
            // switched registration; its EPS registration counts too. A modem without the
            // command just answers ERROR.
            const AtResult e = m_channel->command("AT+CEREG?", m_commTimeout);
            if (e.lost) {
                failFrom(e, QStringLiteral("AT+CEREG?"));
                return false;
            }
            const int eps = e.ok() ? at::parseCreg(e.reply.lines, "+CEREG:") : -1;
            if (eps == 1 || eps == 5)
                stat = eps;
        }
        if (stat == 1 || stat == 5) { // home network or roaming
            m_log.status(stat == 1 ? QStringLiteral("Registered on the home network") : QStringLiteral("Registered, roaming"));
            return true;
        }
        if (stat == 3) {
            setError(kestrel::RegistrationDenied, kestrel::errorDescription(kestrel::RegistrationDenied));
            return false;
        }
        if (clock.elapsed() + kRegistrationPollMs > m_connectTimeout) {
            setError(kestrel::NotRegistered, QStringLiteral("%1 (%2 ms)").arg(kestrel::errorDescription(kestrel::NotRegistered)).arg(m_connectTimeout));
            return false;
        }
        AtChannel::pause(kRegistrationPollMs);
    }
}

bool KestrelDriver::Connect()
{
    clearError();
    if (m_channel && m_channel->isLost()) {
        setError(kestrel::PortLost, kestrel::errorDescription(kestrel::PortLost));
        return false;
    }
    m_connected = false;
    m_linkKept = false;
    m_log.status(QStringLiteral("Connecting on %1").arg(m_portName));
    if (!openPort() || !synchronise() || !unlockSim())
        return false;
    const AtResult r = m_channel->command("AT+CMGF=0", m_commTimeout);
    if (!r.ok()) {
        failFrom(r, QStringLiteral("AT+CMGF=0"));
        return false;
    }
    if (!waitForRegistration())
        return false;
    m_connected = true;
    m_log.status(QStringLiteral("Connected"));
    startListening();
    return true;
}

void KestrelDriver::startListening()
{
    if (!m_deliveryReports && !m_incomingMessages) {
        m_listener.reset();
        return;
    }
    ModemListener::Options options;
    options.reports = m_deliveryReports;
    options.messages = m_incomingMessages;
    options.routing = m_routing;
    options.timeoutMs = m_commTimeout;
    // Its requests queue behind nothing the caller waits for: Connect returns at once and
    // the routing and the stored messages are dealt with before the next command.
    m_listener = std::make_unique<ModemListener>(m_session->queue(), &m_log, options);
    QObject::connect(m_listener.get(), &ModemListener::reportReceived, [this](const gsm::StatusReport &report) {
        if (m_events.report)
            m_events.report(report);
    });
    QObject::connect(m_listener.get(), &ModemListener::messageReceived, [this](const IncomingMessage &message) {
        if (m_events.message)
            m_events.message(message);
    });
    m_listener->start();
}
