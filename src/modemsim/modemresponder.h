#pragma once

#include "modemconfig.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

struct ReceivedMessage
{
    QByteArray pdu;        // hex as the host wrote it
    QString number;
    QString text;
    int concatRef = -1, concatTotal = 0, concatSeq = 0;
    int destinationPort = -1;
    bool flash = false;
};

// An AT command responder that answers as a GSM modem in verbose mode: echo until ATE0,
// final results OK / ERROR / +CME ERROR / +CMS ERROR, identification, PIN, registration,
// signal, and SMS submission in PDU mode with the "> " prompt. Bytes from the host go in
// through receive(); the answer comes out through transmit(), after the configured delay.
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
    // One command of a line; appends its answer lines; false on failure (final appended).
    bool runCommand(const QByteArray &cmd, QByteArray *out);
    bool runExtended(const QByteArray &cmd, QByteArray *out);
    void submit(const QByteArray &hex);
    void send(const QByteArray &bytes, bool thenHangUp = false);
    QByteArray cmeError(int code) const;
    bool simReady() const { return m_pinState == PinState::Ready; }
    void resetProfile();

    enum class PinState { Ready, Pin, Puk };

    ModemConfig m_config;
    QByteArray m_line;
    QByteArray m_pdu;
    bool m_inPrompt = false;
    int m_promptLength = 0;
    bool m_echo = true;
    int m_cmee = 0;
    int m_cmgf = 0;
    int m_copsFormat = 0;
    int m_cregMode = 0;
    QString m_smsc = QStringLiteral("+447785016005");
    PinState m_pinState = PinState::Ready;
    int m_pinTries = 3;
    int m_commands = 0;
    int m_messages = 0;
    int m_nextReference = 0;
    bool m_silent = false;
    bool m_hungUp = false;
    QHash<QString, int> m_failures;
};
