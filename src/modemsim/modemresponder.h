#pragma once

#include "modemcommands.h"
#include "modemconfig.h"

#include <QByteArray>
#include <QHash>
#include <QDateTime>
#include <QObject>
#include <QRandomGenerator>
#include <QString>

namespace gsm {
struct DecodedSubmit;
struct StatusReport;
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

// A status report the network sent (or, for a lost one, never will).
struct SentReport
{
    int reference = 0;
    QString number;
    QString status;        // delivered, failed, expired, lost
    int tpStatus = 0;
    QString routing;       // +CDS, +CDSI, not routed (AT+CNMI <ds> 0), memory full, never sent
};

// A message the network delivered to the modem.
struct DeliveredMessage
{
    QString sender;
    QString text;
    int parts = 1;
    QString routing;       // +CMT, +CMTI, stored (AT+CNMI <mt> 0), memory full
};

// The serial side of the simulated modem: echo until ATE0, command lines split into their
// commands (answered by ModemCommands), SMS submission in PDU mode after the "> " prompt,
// and the configured faults and delays. Bytes from the host go in through receive(); the
// answer comes out through transmit(), after ReplyDelay (and SubmitDelay for a message).
// Its network also talks first: status reports for messages that asked for one, and
// incoming messages, routed as AT+CNMI says and never in the middle of an answer.
class ModemResponder : public QObject
{
    Q_OBJECT
public:
    explicit ModemResponder(const ModemConfig &config, QObject *parent = nullptr);

    void receive(const QByteArray &bytes);
    bool isHungUp() const { return m_hungUp; }
    int messageCount() const { return m_messages; }
    // Delivers each message after its delay from now (long texts in concatenated parts).
    void scheduleIncoming(const QList<IncomingSpec> &messages);

signals:
    void transmit(const QByteArray &bytes);
    void messageReceived(const ReceivedMessage &message);
    // The line dropped (HangUpAfterMessages): the host should see the port go away.
    void hungUp();
    void reportSent(const SentReport &report);
    void messageDelivered(const DeliveredMessage &message);

private:
    void handleLine(const QByteArray &line);
    void submit(const QByteArray &hex);
    // The network takes the message or refuses it, SubmitDelay after the PDU came in.
    void networkAnswer(const QByteArray &hex, const gsm::DecodedSubmit &decoded);
    void send(const QByteArray &bytes, bool thenHangUp = false);
    // The network's side, in modemnetwork.cpp.
    void scheduleReport(int reference, const QString &number);
    void sendReport(const gsm::StatusReport &report);
    void deliverIncoming(const IncomingSpec &message);
    // An unsolicited result code: sent now, or once the host is no longer inside a command.
    void indicate(const QByteArray &bytes);
    void flushIndications();

    ModemConfig m_config;
    ModemCommands m_commands;
    QByteArray m_line;
    QByteArray m_pdu;
    bool m_inPrompt = false;
    bool m_awaitingNetwork = false;
    QList<QByteArray> m_heldIndications;
    QRandomGenerator m_reportDice;
    int m_nextConcatRef = 0;
    int m_commandCount = 0;
    int m_messages = 0;
    int m_nextReference = 0;
    bool m_silent = false;
    bool m_hungUp = false;
    QHash<QString, int> m_failures;
};
