#pragma once

#include "modemresponder.h"

#include <QString>

// Appends one JSON line per event of the simulated modem: a message it accepted (time,
// number, text, the PDU as received, and the concatenation or port details when present),
// a status report its network sent ("report": the message reference, number, status,
// TP-ST, routing), a message its network delivered ("incoming": the sender, text, parts,
// routing).
class MessageRecorder
{
public:
    explicit MessageRecorder(const QString &path) : m_path(path) {}
    // False when the file cannot be written; the modem goes on regardless.
    bool record(const ReceivedMessage &message) const;
    bool record(const SentReport &report) const;
    bool record(const DeliveredMessage &message) const;
    static QByteArray jsonLine(const ReceivedMessage &message);

private:
    bool append(const QByteArray &line) const;

    QString m_path;
};
