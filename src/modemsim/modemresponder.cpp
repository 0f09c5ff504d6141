#include "modemresponder.h"

#include "submitdecoder.h"

#include <QTimer>

namespace {

QByteArray info(const QByteArray &line)
{
    return "\r\n" + line + "\r\n";
}

const QByteArray kOk = "\r\nOK\r\n";
const QByteArray kError = "\r\nERROR\r\n";

QByteArray cmsError(int code)
{
    return "\r\n+CMS ERROR: " + QByteArray::number(code) + "\r\n";
}

} // namespace

ModemResponder::ModemResponder(const ModemConfig &config, QObject *parent)
    : QObject(parent), m_config(config)
{
    m_pinState = m_config.pin.isEmpty() ? PinState::Ready : PinState::Pin;
}

void ModemResponder::resetProfile()
{
    m_echo = true;
    m_cmee = 0;
    m_cmgf = 0;
    m_copsFormat = 0;
    m_cregMode = 0;
}

void ModemResponder::send(const QByteArray &bytes, bool thenHangUp)
{
    auto deliver = [this, bytes, thenHangUp] {
        if (!bytes.isEmpty())
            emit transmit(bytes);
        if (thenHangUp)
            emit hungUp();
    };
    if (m_config.replyDelayMs > 0)
        QTimer::singleShot(m_config.replyDelayMs, this, deliver);
    else
        deliver();
}

QByteArray ModemResponder::cmeError(int code) const
{
    if (m_cmee == 0)
        return kError;
    if (m_cmee == 1)
        return "\r\n+CME ERROR: " + QByteArray::number(code) + "\r\n";
    static const QHash<int, QByteArray> texts = {
        {3, "operation not allowed"}, {4, "operation not supported"}, {10, "SIM not inserted"},
        {11, "SIM PIN required"}, {12, "SIM PUK required"}, {16, "incorrect password"},
        {30, "no network service"}};
    return "\r\n+CME ERROR: " + texts.value(code, "unknown") + "\r\n";
}

void ModemResponder::receive(const QByteArray &bytes)
{
    if (m_hungUp || m_silent)
        return;
    QByteArray echo;
    for (const char c : bytes) {
        if (m_inPrompt) {
            if (c == '\x1A') {
                m_inPrompt = false;
                if (m_echo)
                    send(echo + c);
                echo.clear();
                submit(m_pdu);
                continue;
            }
            if (c == '\x1B') { // escape cancels the message
                m_inPrompt = false;
                send(echo + kOk);
                echo.clear();
                continue;
            }
            if (c != '\r' && c != '\n')
                m_pdu.append(c);
            if (m_echo)
                echo.append(c);
            continue;
        }
        if (c == '\r') {
            const QByteArray trimmed = m_line.trimmed();
            if (m_config.silentAfterCommands > 0 && m_commands >= m_config.silentAfterCommands
                && trimmed.left(2).toUpper() == "AT") {
                // Gone silent: not even the echo comes back.
                m_silent = true;
                return;
            }
            if (m_echo)
                echo.append(c);
            if (!echo.isEmpty())
                send(echo);
            echo.clear();
            const QByteArray line = m_line.trimmed();
            m_line.clear();
            handleLine(line);
            if (m_silent || m_hungUp)
                return;
            continue;
        }
        if (c == '\n' || c == '\x1B' || c == '\x1A')
            continue;
        if (c == '\b') {
            m_line.chop(1);
        } else {
            m_line.append(c);
        }
        if (m_echo)
            echo.append(c);
    }
    if (!echo.isEmpty())
        send(echo);
}

void ModemResponder::handleLine(const QByteArray &line)
{
    // Modems ignore whatever does not begin with the attention prefix.
    if (line.size() < 2 || line.left(2).toUpper() != "AT")
        return;
    ++m_commands;
    QByteArray rest = line.mid(2);
    QByteArray out;
    while (!rest.isEmpty()) {
        QByteArray cmd;
        if (rest.startsWith('+')) {
            const int semi = rest.indexOf(';');
            cmd = semi < 0 ? rest : rest.left(semi);
            rest = semi < 0 ? QByteArray() : rest.mid(semi + 1);
        } else {
            // A basic command: one letter (or & and a letter), then digits.
            int len = rest.startsWith('&') ? 2 : 1;
            while (len < rest.size() && std::isdigit(uchar(rest.at(len))))
                ++len;
            cmd = rest.left(len);
            rest = rest.mid(len);
            if (rest.startsWith(';'))
                rest.remove(0, 1);
        }
        if (!runCommand(cmd, &out)) {
            send(out);
            return;
        }
        if (m_inPrompt) { // AT+CMGS: the prompt is the whole answer for now
            send(out);
            return;
        }
    }
    send(out + kOk);
}

bool ModemResponder::runCommand(const QByteArray &cmd, QByteArray *out)
{
    if (cmd.startsWith('+'))
        return runExtended(cmd, out);
    const QByteArray upper = cmd.toUpper();
    if (upper == "E0" || upper == "E1" || upper == "E") {
        m_echo = upper == "E1";
        return true;
    }
    if (upper == "&F" || upper == "&F0" || upper == "Z" || upper == "Z0") {
        resetProfile();
        return true;
    }
    if (upper == "I" || upper == "I0") {
        out->append(info(m_config.manufacturer.toLatin1()) + info(m_config.model.toLatin1()));
        return true;
    }
    if (upper == "V1" || upper == "Q0" || upper == "&C1" || upper == "&D2")
        return true;
    out->append(kError);
    return false;
}

bool ModemResponder::runExtended(const QByteArray &cmd, QByteArray *out)
{
    const int op = [&] {
        for (int i = 0; i < cmd.size(); ++i) {
            if (cmd.at(i) == '=' || cmd.at(i) == '?')
                return i;
        }
        return int(cmd.size());
    }();
    const QByteArray name = cmd.left(op).toUpper();
    const QByteArray tail = cmd.mid(op);
    const bool query = tail == "?";
    const bool set = tail.startsWith('=') && tail != "=?";
    const QByteArray arg = set ? tail.mid(1) : QByteArray();
    bool argOk = false;
    const int argNumber = arg.toInt(&argOk);

    auto needSim = [&] {
        if (simReady())
            return true;
        out->append(cmeError(m_pinState == PinState::Pin ? 11 : 12));
        return false;
    };

    if (name == "+CMEE") {
        if (query) { out->append(info("+CMEE: " + QByteArray::number(m_cmee))); return true; }
        if (set && argOk && argNumber >= 0 && argNumber <= 2) { m_cmee = argNumber; return true; }
        if (tail == "=?") { out->append(info("+CMEE: (0-2)")); return true; }
    } else if ((name == "+CGMI" || name == "+GMI") && tail.isEmpty()) {
        out->append(info(m_config.manufacturer.toLatin1()));
        return true;
    } else if ((name == "+CGMM" || name == "+GMM") && tail.isEmpty()) {
        out->append(info(m_config.model.toLatin1()));
        return true;
    } else if ((name == "+CGSN" || name == "+GSN") && tail.isEmpty()) {
        out->append(info(m_config.imei.toLatin1()));
        return true;
    } else if (name == "+CIMI" && tail.isEmpty()) {
        if (!needSim())
            return false;
        out->append(info(m_config.imsi.toLatin1()));
        return true;
    } else if (name == "+CPIN") {
        if (query) {
            const char *state = m_pinState == PinState::Ready ? "READY" : m_pinState == PinState::Pin ? "SIM PIN" : "SIM PUK";
            out->append(info(QByteArray("+CPIN: ") + state));
            return true;
        }
        if (set) {
            if (m_pinState != PinState::Pin) {
                out->append(cmeError(m_pinState == PinState::Ready ? 3 : 16));
                return false;
            }
            QByteArray pin = arg.split(',').value(0).trimmed();
            if (pin.startsWith('"') && pin.endsWith('"') && pin.size() >= 2)
                pin = pin.mid(1, pin.size() - 2);
            if (pin == m_config.pin.toLatin1()) {
                m_pinState = PinState::Ready;
                return true;
            }
            if (--m_pinTries <= 0)
                m_pinState = PinState::Puk;
            out->append(cmeError(16));
            return false;
        }
    } else if (name == "+CMGF") {
        if (query) { out->append(info("+CMGF: " + QByteArray::number(m_cmgf))); return true; }
        if (set && argOk && (argNumber == 0 || argNumber == 1)) { m_cmgf = argNumber; return true; }
        if (tail == "=?") { out->append(info("+CMGF: (0,1)")); return true; }
    } else if (name == "+CEREG" && m_config.lteOnly) {
        if (query) {
            const int stat = !simReady() ? 0 : m_config.denied ? 3 : m_config.registered ? 1 : 2;
            out->append(info("+CEREG: 0," + QByteArray::number(stat)));
            return true;
        }
    } else if (name == "+CREG") {
        if (query) {
            const int stat = !simReady() ? 0 : m_config.denied ? 3 : m_config.lteOnly ? 0 : m_config.registered ? 1 : 2;
            out->append(info("+CREG: " + QByteArray::number(m_cregMode) + ',' + QByteArray::number(stat)));
            return true;
        }
        if (set && argOk && argNumber >= 0 && argNumber <= 2) { m_cregMode = argNumber; return true; }
    } else if (name == "+COPS") {
        if (query) {
            if (!simReady() || !m_config.registered || m_config.denied) {
                out->append(info("+COPS: 0"));
                return true;
            }
            const QString oper = m_copsFormat == 2 ? m_config.networkCode : m_config.networkName;
            out->append(info("+COPS: 0," + QByteArray::number(m_copsFormat) + ",\"" + oper.toUtf8() + "\",0"));
            return true;
        }
        if (set) {
            const QList<QByteArray> parts = arg.split(',');
            if (parts.value(0) == "3" && parts.size() == 2 && (parts.at(1) == "0" || parts.at(1) == "1" || parts.at(1) == "2")) {
                m_copsFormat = parts.at(1).toInt();
                return true;
            }
            if (parts.value(0) == "0")
                return true;
        }
    } else if (name == "+CSQ" && tail.isEmpty()) {
        out->append(info("+CSQ: " + QByteArray::number(m_config.rssi) + ",99"));
        return true;
    } else if (name == "+CSCA") {
        if (query) { out->append(info("+CSCA: \"" + m_smsc.toLatin1() + "\",145")); return true; }
        if (set) { m_smsc = QString::fromLatin1(arg.split(',').value(0)).remove(u'"'); return true; }
    } else if (name == "+CNMI" || name == "+CSMS" || name == "+CSCS" || name == "+CLIP") {
        return true;
    } else if (name == "+CMGS" && set) {
        if (!simReady()) {
            out->append(cmsError(m_pinState == PinState::Pin ? 311 : 316));
            return false;
        }
        if (m_cmgf != 0) {
            out->append(cmsError(302));
            return false;
        }
        if (!argOk || argNumber < 7 || argNumber > 164) {
            out->append(cmsError(304));
            return false;
        }
        m_inPrompt = true;
        m_promptLength = argNumber;
        m_pdu.clear();
        out->append("\r\n> ");
        return true;
    }
    out->append(kError);
    return false;
}

void ModemResponder::submit(const QByteArray &hex)
{
    gsm::DecodedSubmit decoded;
    QString error;
    if (!gsm::decodeSubmit(hex, m_promptLength, &decoded, &error)) {
        send(cmsError(304));
        return;
    }
    if (!m_config.registered || m_config.denied) {
        send(cmsError(331));
        return;
    }
    QString key = decoded.destination;
    if (key.startsWith(u'+'))
        key.remove(0, 1);
    if (m_config.cmsErrorNumbers.contains(key)) {
        const int failures = m_failures.value(key);
        if (m_config.cmsErrorTimes == 0 || failures < m_config.cmsErrorTimes) {
            m_failures[key] = failures + 1;
            send(cmsError(m_config.cmsErrorCode));
            return;
        }
    }
    const int reference = m_nextReference;
    m_nextReference = (m_nextReference + 1) % 256;
    ++m_messages;

    ReceivedMessage message;
    message.pdu = hex;
    message.number = decoded.destination;
    message.text = decoded.text;
    message.concatRef = decoded.concatRef;
    message.concatTotal = decoded.concatTotal;
    message.concatSeq = decoded.concatSeq;
    message.destinationPort = decoded.destinationPort;
    message.flash = decoded.flash;
    emit messageReceived(message);

    const bool hangUp = m_config.hangUpAfterMessages > 0 && m_messages >= m_config.hangUpAfterMessages;
    send(info("+CMGS: " + QByteArray::number(reference)) + kOk, hangUp);
    if (hangUp)
        m_hungUp = true;
}
