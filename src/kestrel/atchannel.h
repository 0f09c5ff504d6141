#pragma once

#include "atreply.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>

class QEventLoop;
class QIODevice;
class ModemLog;

struct AtResult
{
    at::Reply reply;
    bool timedOut = false;
    bool lost = false;
    bool ok() const { return !timedOut && !lost && reply.status == at::Status::Ok; }
};

// The AT dialogue over a byte device (a serial port or the in-process simulator). Each call
// writes one command and waits for its answer in a local event loop that lets timers and
// painting run but holds back user input, so the window stays drawn and no click can start
// a second operation. Every wait has a time limit; once the device is lost every call
// fails at once.
class AtChannel : public QObject
{
    Q_OBJECT
public:
    explicit AtChannel(ModemLog *log, QObject *parent = nullptr);

    void attach(QIODevice *device);
    void detach();
    bool isLost() const { return m_lost; }

    // logAs, when given, is written to the modem log instead of the command (a PIN).
    AtResult command(const QByteArray &command, int timeoutMs, const QByteArray &logAs = {});
    // AT+CMGS in PDU mode: the command, the "> " prompt, then the PDU and Ctrl-Z.
    AtResult submit(int tpduLength, const QByteArray &hex, int timeoutMs);
    // Reads and drops whatever arrives within ms (a stale answer after an interruption).
    void drain(int ms);
    // A pause that, like the waits, holds back user input.
    static void pause(int ms);

public slots:
    void markLost();

private:
    AtResult exchange(const QByteArray &command, bool wantPrompt, int timeoutMs, const QByteArray &logAs);
    // Writes bytes (the reader expects echo back first), waits for the final answer and logs
    // the dialogue: shown is the line the log writes, what names it in a time-out.
    AtResult transact(const QByteArray &echo, const QByteArray &bytes, bool wantPrompt, int timeoutMs,
                      const QString &shown, const QString &what);
    bool write(const QByteArray &bytes);
    bool waitForReply(int timeoutMs);
    void readAvailable();

    ModemLog *m_log;
    QPointer<QIODevice> m_device;
    at::ReplyReader m_reader;
    QEventLoop *m_loop = nullptr;
    bool m_waiting = false;
    bool m_lost = false;
    bool m_answerOverdue = false;
};
