#include "atchannel.h"

#include "modemlog.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QIODevice>
#include <QTimer>

namespace {
constexpr int kOverdueDrainMs = 100;
}

AtChannel::AtChannel(ModemLog *log, QObject *parent) : QObject(parent), m_log(log) {}

void AtChannel::attach(QIODevice *device)
{
    detach();
    m_device = device;
    connect(device, &QIODevice::readyRead, this, &AtChannel::readAvailable);
    connect(device, &QIODevice::aboutToClose, this, &AtChannel::markLost);
}

void AtChannel::detach()
{
    if (m_device)
        disconnect(m_device, nullptr, this, nullptr);
    m_device = nullptr;
}

void AtChannel::markLost()
{
    if (!m_lost && m_log)
        m_log->error(QStringLiteral("Connection to the modem lost"));
    m_lost = true;
    if (m_loop)
        m_loop->quit();
}

void AtChannel::readAvailable()
{
    if (!m_device)
        return;
    const QByteArray bytes = m_device->readAll();
    if (bytes.isEmpty())
        return;
    if (!m_waiting) {
        // Nobody asked: unsolicited codes between commands.
        if (m_log && m_log->wantsStatus())
            m_log->status(QStringLiteral("<- (unsolicited) ") + QString::fromLatin1(bytes.trimmed()));
        return;
    }
    if (m_reader.feed(bytes) && m_loop)
        m_loop->quit();
}

bool AtChannel::write(const QByteArray &bytes)
{
    if (!m_device || m_lost || m_device->write(bytes) != bytes.size()) {
        markLost();
        return false;
    }
    return true;
}

bool AtChannel::waitForReply(int timeoutMs)
{
    m_waiting = true;
    readAvailable(); // what came before the wait began
    if (!m_reader.isDone() && !m_lost) {
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(qMax(1, timeoutMs));
        m_loop = &loop;
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        m_loop = nullptr;
    }
    m_waiting = false;
    return m_reader.isDone();
}

AtResult AtChannel::exchange(const QByteArray &command, bool wantPrompt, int timeoutMs, const QByteArray &logAs)
{
    AtResult result;
    if (m_lost || !m_device) {
        result.lost = true;
        return result;
    }
    if (m_answerOverdue) {
        // The answer to a timed-out command may still be coming; it must not be taken
        // for the answer to this one.
        m_answerOverdue = false;
        drain(kOverdueDrainMs);
    }
    const QString shown = QString::fromLatin1(logAs.isEmpty() ? command : logAs);
    return transact(command, command + '\r', wantPrompt, timeoutMs, shown, shown);
}

AtResult AtChannel::transact(const QByteArray &echo, const QByteArray &bytes, bool wantPrompt, int timeoutMs,
                             const QString &shown, const QString &what)
{
    AtResult result;
    const bool logging = m_log && m_log->wantsStatus();
    if (logging)
        m_log->status(QStringLiteral("-> ") + shown);
    m_reader.begin(echo, wantPrompt);
    if (!write(bytes)) {
        result.lost = true;
        return result;
    }
    const bool done = waitForReply(timeoutMs);
    result.reply = m_reader.reply();
    result.lost = m_lost && !done;
    result.timedOut = !done && !m_lost;
    m_answerOverdue = result.timedOut;
    if (logging) {
        for (const QByteArray &line : result.reply.lines)
            m_log->status(QStringLiteral("<- ") + QString::fromLatin1(line));
        if (done)
            m_log->status(QStringLiteral("<- ") + (result.reply.status == at::Status::Ok ? QStringLiteral("OK")
                                                   : result.reply.status == at::Status::Prompt ? QStringLiteral(">")
                                                   : result.reply.errorText));
    }
    if (result.timedOut && m_log)
        m_log->error(QStringLiteral("No answer to %1 within %2 ms").arg(what).arg(timeoutMs));
    return result;
}

AtResult AtChannel::command(const QByteArray &command, int timeoutMs, const QByteArray &logAs)
{
    return exchange(command, false, timeoutMs, logAs);
}

AtResult AtChannel::submit(int tpduLength, const QByteArray &hex, int timeoutMs)
{
    AtResult prompt = exchange("AT+CMGS=" + QByteArray::number(tpduLength), true, timeoutMs, {});
    if (prompt.lost || prompt.timedOut || prompt.reply.status != at::Status::Prompt) {
        if (prompt.timedOut) {
            // The prompt may still come: escape leaves message entry without sending.
            write("\x1B");
            drain(100);
        }
        return prompt;
    }
    return transact(hex + '\x1A', hex + '\x1A', false, timeoutMs,
                    QString::fromLatin1(hex) + QStringLiteral("<Ctrl-Z>"), QStringLiteral("the message"));
}

void AtChannel::drain(int ms)
{
    if (!m_device || m_lost)
        return;
    pause(ms);
    m_device->readAll();
}

void AtChannel::pause(int ms)
{
    if (ms <= 0)
        return;
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}
