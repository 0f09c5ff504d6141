#pragma once

#include "gateway/httprequest.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <curl/curl.h>
#include <memory>
#include <unordered_map>
#include <vector>

// HTTP requests through libcurl's multi interface, driven by this thread's Qt event loop:
// no thread of its own, kept-alive connections, and a buffered reader. Qt's own client reads
// an answer's headers one byte per system call on a thread of its own, which cost more than
// everything else a gateway run does per message.
class HttpClient : public QObject
{
    Q_OBJECT
public:
    struct Reply
    {
        int status = 0; // the HTTP status; 0: no answer came
        QByteArray body;
        // No answer, and no byte of the request ever left: the server cannot have acted on
        // it (nothing listening, an unknown host, a refused TLS handshake).
        bool neverSent = false;
        QString error; // why no answer came
    };

    // connections: how many connections to one host at most, each kept alive for reuse.
    explicit HttpClient(int connections, QObject *parent = nullptr);
    ~HttpClient() override;

    // Starts a request; answered() comes for it once, with the same id. timeoutMs limits the
    // whole request, connection included.
    void send(quint64 id, const HttpRequest &request, int timeoutMs);

signals:
    void answered(quint64 id, const HttpClient::Reply &reply);

private:
    struct Transfer;
    class SocketWatch;

    static int onSocket(CURL *easy, curl_socket_t socket, int what, void *client, void *watch);
    static int onTimer(CURLM *multi, long timeoutMs, void *client);
    void refuse(quint64 id, const QString &why);
    void act(curl_socket_t socket, int events);
    void finishDone();

    CURLM *m_multi = nullptr;
    QTimer m_timer; // curl's own timeouts
    std::unordered_map<CURL *, std::unique_ptr<Transfer>> m_transfers;
    std::vector<CURL *> m_idleHandles; // easy handles kept for the next requests
};
