#include "kannelsender.h"

#include <algorithm>

namespace {

// Kannel answers once bearerbox has the message; connecting is part of this too.
constexpr int kAnswerTimeoutMs = 30000;
constexpr int kFirstPauseMs = 250;
constexpr int kLongestPauseMs = 8000;
// A message Kannel keeps answering "try again later" for this many times fails.
constexpr int kMostTries = 8;

} // namespace

KannelSender::KannelSender(const KannelRoute &route, QObject *parent)
    : QObject(parent), m_route(route), m_http(std::max(1, route.inFlight))
{
    m_route.inFlight = std::max(1, m_route.inFlight);
    connect(&m_http, &HttpClient::answered, this, &KannelSender::answered);
    m_pause.setSingleShot(true);
    connect(&m_pause, &QTimer::timeout, this, [this] {
        // One message Kannel could not take goes first, alone, to see whether it can now.
        if (!m_retry.empty() && m_busy.isEmpty()) {
            const Pending next = m_retry.front();
            m_retry.pop_front();
            start(next);
        }
        emit roomAvailable();
    });
}

int KannelSender::room() const
{
    if (m_pause.isActive() || !m_retry.empty())
        return 0;
    return std::max(0, (m_pauseMs > 0 ? 1 : m_route.inFlight) - int(m_busy.size()));
}

void KannelSender::send(int id, const KannelMessage &message)
{
    start({id, message});
}

void KannelSender::start(const Pending &pending)
{
    const quint64 request = ++m_lastRequest;
    m_busy.insert(request, pending);
    m_http.send(request, kannel::buildRequest(m_route, pending.message), kAnswerTimeoutMs);
}

void KannelSender::answered(quint64 request, const HttpClient::Reply &reply)
{
    const Pending pending = m_busy.take(request);
    if (reply.status == 0) {
        emit finished(pending.id, reply.neverSent ? Outcome::Unreachable : Outcome::Uncertain, reply.error);
        emit roomAvailable();
        return;
    }
    const kannel::Answer answer = kannel::readAnswer(reply.status, reply.body);
    switch (answer.verdict) {
    case kannel::Verdict::Accepted:
        m_pauseMs = 0;
        emit finished(pending.id, Outcome::Sent, answer.text);
        break;
    case kannel::Verdict::Queued:
        backOff();
        emit finished(pending.id, Outcome::Sent, answer.text);
        break;
    case kannel::Verdict::TryLater:
        if (pending.tries + 1 >= kMostTries) {
            emit finished(pending.id, Outcome::Refused, answer.text);
            break;
        }
        m_retry.push_back({pending.id, pending.message, pending.tries + 1});
        backOff();
        break;
    case kannel::Verdict::Refused:
        emit finished(pending.id, Outcome::Refused, answer.text);
        break;
    case kannel::Verdict::Forbidden:
        emit finished(pending.id, Outcome::Forbidden, answer.text);
        break;
    }
    emit roomAvailable();
}

void KannelSender::backOff()
{
    m_pauseMs = m_pauseMs == 0 ? kFirstPauseMs : std::min(m_pauseMs * 2, kLongestPauseMs);
    m_pause.start(m_pauseMs);
}
