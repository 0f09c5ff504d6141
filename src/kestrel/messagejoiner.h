#pragma once

#include "deliverpdu.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <optional>

// A message as the operator reads it: the parts of a concatenated message joined.
struct IncomingMessage
{
    QDateTime time;          // the service centre's time stamp of the first part that came
    QString sender;
    QString text;
    int parts = 1;           // parts that came
    int partsExpected = 1;   // parts the header announced
    bool complete() const { return parts == partsExpected; }
};

// Joins the parts of concatenated messages, which come in any order and interleaved with
// other messages. Parts belong together by sender, reference and part count (a reference
// is only unique per sender, and a phone reuses it after 256 or 65536 messages). A part
// that never comes must not hold the others back for ever: after timeoutMs the parts that
// came are handed out as an incomplete message. Time is passed in, so this is pure.
class MessageJoiner
{
public:
    explicit MessageJoiner(qint64 timeoutMs) : m_timeoutMs(timeoutMs) {}

    // The whole message once its last part is in (at once for a message of one part).
    std::optional<IncomingMessage> add(const gsm::DeliverPart &part, qint64 nowMs);
    // Messages whose time ran out, with the parts that came.
    QList<IncomingMessage> takeExpired(qint64 nowMs);
    // When the next message runs out; -1 when none waits.
    qint64 nextDeadline() const;

private:
    struct Pending
    {
        qint64 firstSeenMs = 0;
        int total = 0;
        QMap<int, gsm::DeliverPart> parts; // by sequence number
    };
    static IncomingMessage joined(const Pending &pending);

    qint64 m_timeoutMs;
    QMap<QString, Pending> m_pending;
};
