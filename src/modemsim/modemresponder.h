#pragma once

#include "modemcommands.h"
#include "modemconfig.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>

namespace gsm {
struct DecodedSubmit;
}

struct ReceivedMessage
{
    QByteArray pdu;        // hex as the host wrote it
    QString number;
    QString text;
    int concatRef = -1, concatTotal = 0, concatSeq = 0;
    int destinationPort = -1;
    bool flash = false;
};

// The serial side of the simulated modem: echo until ATE0, command lines split into their
// commands (answered by ModemCommands), SMS submission in PDU mode after the "> " prompt,
// and the configured faults and delays. Bytes from the host go in through receive(); the
// answer comes out through transmit(), after ReplyDelay (and SubmitDelay for a message).
class ModemResponder : public QObject
{
    Q_OBJECT
public:
    explicit ModemResponder(const ModemConfig &config, QObject *parent = nullptr);

    void receive(const QByteArray &bytes);
    bool isHungUp() const { return m_hungUp; }
    int messageCount() const { return m_messages; }

signals:
    void transmit(const QByteArray &bytes);
    void messageReceived(const ReceivedMessage &message);
    // The line dropped (HangUpAfterMessages): the host should see the port go away.
    void hungUp();

private:
    void handleLine(const QByteArray &line);
    void submit(const QByteArray &hex);
    // The network takes the message or refuses it, SubmitDelay after the PDU came in.
    void networkAnswer(const QByteArray &hex, const gsm::DecodedSubmit &decoded);
    void send(const QByteArray &bytes, bool thenHangUp = false);

    ModemConfig m_config;
    ModemCommands m_commands;
    QByteArray m_line;
    QByteArray m_pdu;
    bool m_inPrompt = false;
    int m_commandCount = 0;
    int m_messages = 0;
    int m_nextReference = 0;
    bool m_silent = false;
    bool m_hungUp = false;
    QHash<QString, int> m_failures;
};
