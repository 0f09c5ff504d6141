#include "kannelsender.h"

#include <algorithm>

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

constexpr int kFirstPauseMs = 250;
constexpr int kLongestPauseMs = 8000;
constexpr int kConnectionsPerManager = 6;
// A message Kannel keeps answering "try again later" for this many times fails.
constexpr int kMostTries = 8;

} // namespace

KannelSender::KannelSender(const KannelRoute &route, QObject *parent) : QObject(parent), m_route(route)
{
    m_route.inFlight = std::max(1, m_route.inFlight);
    const int managers = (m_route.inFlight + kConnectionsPerManager - 1) / kConnectionsPerManager;
    for (int i = 0; i < managers; ++i)
        m_managers.push_back(std::make_unique<QNetworkAccessManager>());
    m_pause.setSingleShot(true);
    connect(&m_pause, &QTimer::timeout, this, [this] {
        // One message Kannel could not take goes first, alone, to see whether it can now.
        if (!m_retry.empty() && m_busy == 0) {
            const Pending next = m_retry.front();
            m_retry.pop_front();
            start(next);
        }
        emit roomAvailable();
    });
}

KannelSender::~KannelSender()
{
    // Replies still out must not call back into a sender being destroyed.
    for (auto &manager : m_managers)
        for (auto *reply : manager->findChildren<QNetworkReply *>())
            reply->disconnect(this);
}

int KannelSender::room() const
{
    if (m_pause.isActive() || !m_retry.empty())
        return 0;
    return std::max(0, (m_pauseMs > 0 ? 1 : m_route.inFlight) - m_busy);
}

void KannelSender::send(int id, const KannelMessage &message)
{
    start({id, message});
}

void KannelSender::start(const Pending &pending)
{
    const kannel::Request request = kannel::buildRequest(m_route, pending.message);
    QNetworkRequest http(request.url);
    http.setTransferTimeout(m_answerTimeoutMs);
    QNetworkAccessManager &manager = *m_managers[m_nextManager++ % m_managers.size()];
    QNetworkReply *reply = nullptr;
    if (request.post) {
        for (const auto &[name, value] : request.headers)
            http.setRawHeader(name, value);
        reply = manager.post(http, request.body);
    } else {
        reply = manager.get(http);
    }
    ++m_busy;
    connect(reply, &QNetworkReply::finished, this, [this, reply, pending] { answered(reply, pending); });
    // The transfer timeout starts only once the request is on its way; a request Qt holds
    // back for a connection must not wait for ever either.
    QTimer::singleShot(m_answerTimeoutMs + 5000, reply, [reply] {
        if (reply->isRunning())
            reply->abort();
    });
}

void KannelSender::answered(QNetworkReply *reply, const Pending &pending)
{
    reply->deleteLater();
    --m_busy;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QNetworkReply::NetworkError error = reply->error();
    if (status == 0) {
        // No HTTP answer. A refused connection proves nothing went only while Kannel has never
        // answered: once it has, Qt may have written the request on a kept-alive connection
        // that Kannel closed after taking the message, and the refusal is Qt's quiet second
        // attempt.
        const bool neverSent = !m_answeredOnce
            && (error == QNetworkReply::ConnectionRefusedError || error == QNetworkReply::HostNotFoundError
                || error == QNetworkReply::ProtocolUnknownError);
        emit finished(pending.id, neverSent ? Outcome::Unreachable : Outcome::Uncertain, reply->errorString());
        emit roomAvailable();
        return;
    }
    m_answeredOnce = true;
    const kannel::Answer answer = kannel::readAnswer(status, reply->readAll());
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
