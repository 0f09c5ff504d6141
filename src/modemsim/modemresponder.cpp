#include "modemresponder.h"

#include "modemreplies.h"
#include "kestrel/submitdecoder.h"

#include <QTimer>

using namespace modemreply;

ModemResponder::ModemResponder(const ModemConfig &config, QObject *parent)
    : QObject(parent), m_config(config), m_commands(config), m_reportDice(quint32(config.reportSeed))
{
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

void ModemResponder::receive(const QByteArray &bytes)
{
    if (m_hungUp || m_silent)
        return;
    QByteArray echoed;
    for (const char c : bytes) {
        if (m_inPrompt) {
            if (c == '\x1A') {
                m_inPrompt = false;
                if (m_commands.echo())
                    send(echoed + c);
                echoed.clear();
                submit(m_pdu);
                continue;
            }
            if (c == '\x1B') { // escape cancels the message
                m_inPrompt = false;
                send(echoed + kOk);
                echoed.clear();
                flushIndications();
                continue;
            }
            if (c != '\r' && c != '\n')
                m_pdu.append(c);
            if (m_commands.echo())
                echoed.append(c);
            continue;
        }
        if (c == '\r') {
            const QByteArray line = m_line.trimmed();
            m_line.clear();
            if (m_config.silentAfterCommands > 0 && m_commandCount >= m_config.silentAfterCommands
                && line.left(2).toUpper() == "AT") {
                // Gone silent: not even the echo comes back.
                m_silent = true;
                return;
            }
            if (m_commands.echo())
                echoed.append(c);
            if (!echoed.isEmpty())
                send(echoed);
            echoed.clear();
            handleLine(line);
            if (m_silent || m_hungUp)
                return;
            continue;
        }
        if (c == '\n' || c == '\x1B' || c == '\x1A')
            continue;
        if (c == '\b')
            m_line.chop(1);
        else
            m_line.append(c);
        if (m_commands.echo())
            echoed.append(c);
    }
    if (!echoed.isEmpty())
        send(echoed);
}

void ModemResponder::handleLine(const QByteArray &line)
{
    // Modems ignore whatever does not begin with the attention prefix.
    if (line.size() < 2 || line.left(2).toUpper() != "AT")
        return;
    // The configured incoming messages count their delay from the host's first command.
    if (++m_commandCount == 1)
        scheduleIncoming(m_config.incoming);
    QByteArray rest = line.mid(2);
    QByteArray out;
    while (!rest.isEmpty()) {
        QByteArray cmd;
        if (rest.startsWith('+')) {
            const qsizetype semi = rest.indexOf(';');
            cmd = semi < 0 ? rest : rest.left(semi);
            rest = semi < 0 ? QByteArray() : rest.mid(semi + 1);
        } else {
            // A basic command: one letter (or & and a letter), then digits.
            qsizetype len = rest.startsWith('&') ? 2 : 1;
            while (len < rest.size() && std::isdigit(uchar(rest.at(len))))
                ++len;
            cmd = rest.left(len);
            rest = rest.mid(len);
            if (rest.startsWith(';'))
                rest.remove(0, 1);
        }
        switch (m_commands.run(cmd, &out)) {
        case ModemCommands::Outcome::Ok:
            continue;
        case ModemCommands::Outcome::Prompt: // the prompt is the whole answer for now
            m_inPrompt = true;
            m_pdu.clear();
            send(out);
            return;
        case ModemCommands::Outcome::Failed: // the rest of the line is not run
            send(out);
            return;
        }
    }
    send(out + kOk);
}

void ModemResponder::submit(const QByteArray &hex)
{
    gsm::DecodedSubmit decoded;
    QString error;
    if (!gsm::decodeSubmit(hex, m_commands.promptLength(), &decoded, &error)) {
        send(cmsError(304));
        flushIndications();
        return;
    }
    if (!m_config.registered || m_config.denied) {
        send(cmsError(331));
        flushIndications();
        return;
    }
    m_awaitingNetwork = true;
    if (m_config.submitDelayMs > 0)
        QTimer::singleShot(m_config.submitDelayMs, this, [this, hex, decoded] { networkAnswer(hex, decoded); });
    else
        networkAnswer(hex, decoded);
}

void ModemResponder::networkAnswer(const QByteArray &hex, const gsm::DecodedSubmit &decoded)
{
    m_awaitingNetwork = false;
    QString key = decoded.destination;
    if (key.startsWith(u'+'))
        key.remove(0, 1);
    if (m_config.cmsErrorNumbers.contains(key)) {
        const int failures = m_failures.value(key);
        if (m_config.cmsErrorTimes == 0 || failures < m_config.cmsErrorTimes) {
            m_failures[key] = failures + 1;
            send(cmsError(m_config.cmsErrorCode));
            flushIndications();
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
    if (m_config.noReferenceNumbers.contains(key))
        send(kOk, hangUp);
    else
        send(info("+CMGS: " + QByteArray::number(reference)) + kOk, hangUp);
    if (hangUp) {
        m_hungUp = true;
        return;
    }
    flushIndications();
    if (decoded.statusReport)
        scheduleReport(reference, decoded.destination);
}
