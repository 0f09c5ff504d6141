#pragma once

#include "gateway/httpclient.h"
#include "gateway/kannelrequest.h"

#include <QHash>
#include <QObject>
#include <QTimer>
#include <deque>

// Hands messages to a Kannel smsbox, several requests at once (as many as the route's
// inFlight), each answered on its own. Kannel's busy answers ("Queued for later delivery",
// "Temporal failure, try again later.") slow the sender down: it waits, doubling the pause
// up to 8 s, and sends one request at a time until Kannel accepts again. A message Kannel
// could not take for now is sent again; every other answer ends the message.
class KannelSender : public QObject
{
    Q_OBJECT
public:
    enum class Outcome {
        Sent,        // Kannel took it
        Refused,     // Kannel will not send it (text says why); the others may go
        Forbidden,   // user name or password refused: nothing will go
        Unreachable, // Kannel could not be reached at all: it did not go
        Uncertain,   // the request went out and no answer came back: it may have gone
    };

    explicit KannelSender(const KannelRoute &route, QObject *parent = nullptr);

    // Whether send() may be called now without going over the route's requests in flight
    // or into a back-off pause.
    bool hasRoom() const { return room() > 0; }
    // How many more sends fit now.
    int room() const;
    // No request out and none waiting to be sent again.
    bool isIdle() const { return m_busy.isEmpty() && m_retry.empty(); }
    void send(int id, const KannelMessage &message);

signals:
    void finished(int id, KannelSender::Outcome outcome, const QString &text);
    // A back-off pause ended or a request finished: there may be room again.
    void roomAvailable();

private:
    struct Pending
    {
        int id = 0;
        KannelMessage message;
        int tries = 0;
    };

    void start(const Pending &pending);
    void answered(quint64 request, const HttpClient::Reply &reply);
    void backOff();

    KannelRoute m_route;
    HttpClient m_http;
    QHash<quint64, Pending> m_busy; // the requests out, by their HttpClient id
    quint64 m_lastRequest = 0;
    int m_pauseMs = 0; // the current back-off; 0: full speed
    QTimer m_pause;
    std::deque<Pending> m_retry;
};
