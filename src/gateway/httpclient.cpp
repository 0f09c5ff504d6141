#include "httpclient.h"

#include <QPointer>
#include <QSocketNotifier>
#include <mutex>

namespace {

// An answer larger than this is not Kannel's: the rest is dropped, not kept in memory.
constexpr qsizetype kLargestBody = 64 * 1024;

size_t keepBody(char *data, size_t size, size_t count, void *target)
{
    auto *body = static_cast<QByteArray *>(target);
    const qsizetype room = std::max<qsizetype>(0, kLargestBody - body->size());
    body->append(data, std::min<qsizetype>(room, qsizetype(size * count)));
    return size * count;
}

bool failedBeforeSending(CURLcode code)
{
    switch (code) {
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
        return true;
    default:
        return false;
    }
}

} // namespace

struct HttpClient::Transfer
{
    ~Transfer() { curl_slist_free_all(headers); }

    quint64 id = 0;
    QByteArray body;
    curl_slist *headers = nullptr;
    char error[CURL_ERROR_SIZE] = {};
};

// Watches one of curl's sockets for what curl waits for on it.
class HttpClient::SocketWatch : public QObject
{
public:
    SocketWatch(curl_socket_t socket, HttpClient *client)
        : m_read(socket, QSocketNotifier::Read, this), m_write(socket, QSocketNotifier::Write, this)
    {
        connect(&m_read, &QSocketNotifier::activated, client, [client, socket] { client->act(socket, CURL_CSELECT_IN); });
        connect(&m_write, &QSocketNotifier::activated, client, [client, socket] { client->act(socket, CURL_CSELECT_OUT); });
    }

    void waitFor(int what)
    {
        m_read.setEnabled(what == CURL_POLL_IN || what == CURL_POLL_INOUT);
        m_write.setEnabled(what == CURL_POLL_OUT || what == CURL_POLL_INOUT);
    }

private:
    QSocketNotifier m_read;
    QSocketNotifier m_write;
};

HttpClient::HttpClient(int connections, QObject *parent) : QObject(parent)
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    m_multi = curl_multi_init();
    curl_multi_setopt(m_multi, CURLMOPT_SOCKETFUNCTION, &HttpClient::onSocket);
    curl_multi_setopt(m_multi, CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(m_multi, CURLMOPT_TIMERFUNCTION, &HttpClient::onTimer);
    curl_multi_setopt(m_multi, CURLMOPT_TIMERDATA, this);
    curl_multi_setopt(m_multi, CURLMOPT_MAX_HOST_CONNECTIONS, long(std::max(1, connections)));
    curl_multi_setopt(m_multi, CURLMOPT_MAXCONNECTS, long(std::max(1, connections)));
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] { act(CURL_SOCKET_TIMEOUT, 0); });
}

HttpClient::~HttpClient()
{
    // Requests still out end without an answer: their callers are going away too.
    for (const auto &[easy, transfer] : m_transfers) {
        curl_multi_remove_handle(m_multi, easy);
        curl_easy_cleanup(easy);
    }
    for (CURL *easy : m_idleHandles)
        curl_easy_cleanup(easy);
    // The kept connections close without calling back into a client being destroyed.
    curl_multi_setopt(m_multi, CURLMOPT_SOCKETFUNCTION, nullptr);
    curl_multi_setopt(m_multi, CURLMOPT_TIMERFUNCTION, nullptr);
    curl_multi_cleanup(m_multi);
}

void HttpClient::send(quint64 id, const HttpRequest &request, int timeoutMs)
{
    CURL *easy = nullptr;
    if (m_idleHandles.empty()) {
        easy = curl_easy_init();
    } else {
        easy = m_idleHandles.back();
        m_idleHandles.pop_back();
        curl_easy_reset(easy);
    }
    if (!easy)
        return refuse(id, QStringLiteral("libcurl could not start a request"));
    auto owned = std::make_unique<Transfer>();
    Transfer *transfer = owned.get();
    transfer->id = id;
    curl_easy_setopt(easy, CURLOPT_URL, request.url.toEncoded().constData());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    // Kannel is reached directly: a proxy the environment names for the web is not asked.
    curl_easy_setopt(easy, CURLOPT_PROXY, "");
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, long(timeoutMs));
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &keepBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer->body);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, transfer->error);
    if (request.post) {
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE, long(request.body.size()));
        curl_easy_setopt(easy, CURLOPT_COPYPOSTFIELDS, request.body.constData());
        for (const auto &[name, value] : request.headers)
            transfer->headers = curl_slist_append(transfer->headers, (name + ": " + value).constData());
        // Kannel does not answer "100 Continue"; curl would wait a second for it.
        transfer->headers = curl_slist_append(transfer->headers, "Expect:");
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, transfer->headers);
    }
    if (const CURLMcode added = curl_multi_add_handle(m_multi, easy); added != CURLM_OK) {
        curl_easy_cleanup(easy);
        return refuse(id, QString::fromUtf8(curl_multi_strerror(added)));
    }
    m_transfers.emplace(easy, std::move(owned));
}

void HttpClient::refuse(quint64 id, const QString &why)
{
    // Answered as any other request is: later, from the event loop.
    QTimer::singleShot(0, this, [this, id, why] {
        Reply reply;
        reply.neverSent = true;
        reply.error = why;
        emit answered(id, reply);
    });
}

int HttpClient::onSocket(CURL *, curl_socket_t socket, int what, void *client, void *watch)
{
    auto *self = static_cast<HttpClient *>(client);
    auto *socketWatch = static_cast<SocketWatch *>(watch);
    if (what == CURL_POLL_REMOVE) {
        // Called from within the watch's own signal at times: it goes once that returns.
        if (socketWatch) {
            socketWatch->waitFor(CURL_POLL_NONE);
            socketWatch->deleteLater();
        }
        return 0;
    }
    if (!socketWatch) {
        socketWatch = new SocketWatch(socket, self);
        socketWatch->setParent(self);
        curl_multi_assign(self->m_multi, socket, socketWatch);
    }
    socketWatch->waitFor(what);
    return 0;
}

int HttpClient::onTimer(CURLM *, long timeoutMs, void *client)
{
    auto *self = static_cast<HttpClient *>(client);
    if (timeoutMs < 0)
        self->m_timer.stop();
    else
        self->m_timer.start(int(timeoutMs));
    return 0;
}

void HttpClient::act(curl_socket_t socket, int events)
{
    int running = 0;
    curl_multi_socket_action(m_multi, socket, events, &running);
    finishDone();
}

void HttpClient::finishDone()
{
    QList<QPair<quint64, Reply>> done;
    int left = 0;
    while (CURLMsg *message = curl_multi_info_read(m_multi, &left)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        CURL *easy = message->easy_handle;
        const CURLcode code = message->data.result;
        const auto found = m_transfers.find(easy);
        if (found == m_transfers.end())
            continue;
        const std::unique_ptr<Transfer> transfer = std::move(found->second);
        m_transfers.erase(found);
        Reply reply;
        long status = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        reply.status = code == CURLE_OK ? int(status) : 0;
        if (reply.status == 0) {
            // curl quietly sends again on a fresh connection when a kept-alive one turns out
            // closed; the bytes it wrote on the first still count here.
            long requestBytes = 0;
            curl_easy_getinfo(easy, CURLINFO_REQUEST_SIZE, &requestBytes);
            reply.neverSent = requestBytes == 0 && failedBeforeSending(code);
            reply.error = QString::fromUtf8(transfer->error[0] ? transfer->error : curl_easy_strerror(code));
        }
        reply.body = std::move(transfer->body);
        curl_multi_remove_handle(m_multi, easy);
        done.append({transfer->id, std::move(reply)});
        m_idleHandles.push_back(easy);
    }
    // Answered after curl's bookkeeping: a receiver may send the next request at once.
    const QPointer<HttpClient> alive(this);
    for (const auto &[id, reply] : done) {
        if (!alive)
            return;
        emit answered(id, reply);
    }
}
