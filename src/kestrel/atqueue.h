#pragma once

#include "atreply.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <deque>
#include <functional>

class QIODevice;
class ModemLog;

struct AtResult
{
    at::Reply reply;
    bool timedOut = false;
    bool lost = false;
    bool ok() const { return !timedOut && !lost && reply.status == at::Status::Ok; }
};

// One AT exchange: a command line, or AT+CMGS whose "> " prompt is answered with a PDU.
struct AtRequest
{
    QByteArray command;  // without the CR
    int timeoutMs = 0;   // per step: the command's answer, then the PDU's
    QByteArray logAs;    // written to the modem log instead of the command (a PIN)
    QByteArray pdu;      // hex, for AT+CMGS: sent with Ctrl-Z after the prompt
};

// The AT dialogue with one modem, without waiting: requests run one after another in the
// order given, each step with its own time limit, and each completion is called back from
// the event loop. Lines the modem sends on its own (a new message, a status report, RING)
// are handed out through unsolicited(), whether they come between commands or in the
// middle of an answer. Several queues on several devices run side by side in one thread.
class AtQueue : public QObject
{
    Q_OBJECT
public:
    using Done = std::function<void(const AtResult &)>;

    explicit AtQueue(ModemLog *log, QObject *parent = nullptr);
    ~AtQueue() override;

    void attach(QIODevice *device);
    void detach();
    bool isLost() const { return m_lost; }
    bool isIdle() const { return !m_current && m_pending.empty(); }

    void enqueue(const AtRequest &request, Done done);
    // Bytes that arrive within ms are dropped: a stale answer after an interruption.
    void discardFor(int ms, std::function<void()> then);

signals:
    // One unsolicited result code; for +CMT: and +CDS: in PDU mode, the PDU line follows it.
    void unsolicited(const QList<QByteArray> &lines);
    void lost();

public slots:
    void markLost();

private:
    struct Job
    {
        AtRequest request;
        Done done;
        bool pduStep = false;
    };

    void startNext();
    void startStep();
    void readAvailable();
    void takeIdleBytes(const QByteArray &bytes);
    void stepTimedOut();
    void finishStep(bool done);
    void complete(const AtResult &result);

    ModemLog *m_log;
    QPointer<QIODevice> m_device;
    at::ReplyReader m_reader;
    std::deque<Job> m_pending;
    std::unique_ptr<Job> m_current;
    QTimer m_timer;
    QTimer m_discardTimer;
    std::function<void()> m_afterDiscard;
    QByteArray m_idleBuffer;
    QList<QByteArray> m_urc; // a +CMT:/+CDS: line waiting for its PDU line
    bool m_lost = false;
    bool m_answerOverdue = false;
};
