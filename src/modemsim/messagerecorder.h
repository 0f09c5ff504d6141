#pragma once

#include "modemresponder.h"

#include <QString>

// Appends one JSON line per message the simulated modem accepted: time, number, text,
// the PDU as received, and the concatenation or port details when present.
class MessageRecorder
{
public:
    explicit MessageRecorder(const QString &path) : m_path(path) {}
    // False when the file cannot be written; the modem goes on regardless.
    bool record(const ReceivedMessage &message) const;
    static QByteArray jsonLine(const ReceivedMessage &message);

private:
    QString m_path;
};
