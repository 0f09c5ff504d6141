#include "messagejoiner.h"

std::optional<IncomingMessage> MessageJoiner::add(const gsm::DeliverPart &part, qint64 nowMs)
{
    // A header that announces one part, or a sequence number outside the count, joins
    // nothing: such a part is a whole message as far as anyone can tell.
    if (part.concatRef < 0 || part.concatTotal < 2 || part.concatSeq < 1 || part.concatSeq > part.concatTotal) {
        gsm::DeliverPart single = part;
        single.concatTotal = 1;
        Pending alone;
        alone.total = 1;
        alone.parts.insert(1, single);
        return joined(alone);
    }
    const QString key = QStringLiteral("%1|%2|%3").arg(part.sender).arg(part.concatRef).arg(part.concatTotal);
    Pending &pending = m_pending[key];
    if (pending.parts.isEmpty()) {
        pending.firstSeenMs = nowMs;
        pending.total = part.concatTotal;
    }
    // A part the network delivered twice counts once.
    pending.parts.insert(part.concatSeq, part);
    if (pending.parts.size() < pending.total)
        return std::nullopt;
    const IncomingMessage message = joined(pending);
    m_pending.remove(key);
    return message;
}

QList<IncomingMessage> MessageJoiner::takeExpired(qint64 nowMs)
{
    QList<IncomingMessage> out;
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        if (nowMs - it->firstSeenMs >= m_timeoutMs) {
            out.append(joined(*it));
            it = m_pending.erase(it);
        } else {
            ++it;
        }
    }
    return out;
}

qint64 MessageJoiner::nextDeadline() const
{
    qint64 next = -1;
    for (const Pending &p : m_pending) {
        if (next < 0 || p.firstSeenMs + m_timeoutMs < next)
            next = p.firstSeenMs + m_timeoutMs;
    }
    return next;
}

IncomingMessage MessageJoiner::joined(const Pending &pending)
{
    IncomingMessage message;
    const gsm::DeliverPart &first = pending.parts.first();
    message.time = first.sent;
    message.sender = first.sender;
    message.parts = int(pending.parts.size());
    message.partsExpected = pending.total;
    for (const gsm::DeliverPart &part : pending.parts)
        message.text += part.text;
    return message;
}
