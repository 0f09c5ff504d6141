#include "atqueue.h"

#include "modemlog.h"

#include <QIODevice>

namespace {
// After a command went unanswered its answer may still arrive: it must not be taken for
// the answer to the next command.
constexpr int kOverdueDrainMs = 100;
constexpr int kEscapeDrainMs = 100;
} // namespace

AtQueue::AtQueue(ModemLog *log, QObject *parent) : QObject(parent), m_log(log)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &AtQueue::stepTimedOut);
    m_discardTimer.setSingleShot(true);
    connect(&m_discardTimer, &QTimer::timeout, this, [this] {
        if (m_device && !m_lost)
            m_device->readAll();
        if (auto then = std::exchange(m_afterDiscard, nullptr))
            then();
        startNext();
    });
}

AtQueue::~AtQueue()
{
    detach();
}

void AtQueue::attach(QIODevice *device)
{
    detach();
    m_device = device;
    connect(device, &QIODevice::readyRead, this, &AtQueue::readAvailable);
    connect(device, &QIODevice::aboutToClose, this, &AtQueue::markLost);
}

void AtQueue::detach()
{
    if (m_device)
        disconnect(m_device, nullptr, this, nullptr);
    m_device = nullptr;
}

void AtQueue::enqueue(const AtRequest &request, Done done)
{
    m_pending.push_back(Job{request, std::move(done)});
    startNext();
}

void AtQueue::discardFor(int ms, std::function<void()> then)
{
    m_afterDiscard = std::move(then);
    m_discardTimer.start(qMax(0, ms));
}

void AtQueue::markLost()
{
    if (!m_lost && m_log)
        m_log->error(QStringLiteral("Connection to the modem lost"));
    const bool wasLost = std::exchange(m_lost, true);
    if (m_current && m_timer.isActive())
        finishStep(false);
    if (!wasLost)
        emit lost();
    startNext();
}

void AtQueue::startNext()
{
    if (m_current || m_pending.empty() || m_discardTimer.isActive())
        return;
    m_current = std::make_unique<Job>(std::move(m_pending.front()));
    m_pending.pop_front();
    if (m_lost || !m_device) {
        AtResult result;
        result.lost = true;
        complete(result);
        return;
    }
    if (m_answerOverdue) {
        m_answerOverdue = false;
        discardFor(kOverdueDrainMs, [this] { startStep(); });
        return;
    }
    startStep();
}

void AtQueue::startStep()
{
    const AtRequest &request = m_current->request;
    const bool pduStep = m_current->pduStep;
    const QByteArray echo = pduStep ? request.pdu + '\x1A' : request.command;
    const QByteArray bytes = pduStep ? echo : request.command + '\r';
    if (m_log && m_log->wantsStatus()) {
        const QByteArray shown = pduStep ? request.pdu : request.logAs.isEmpty() ? request.command : request.logAs;
        m_log->status(QStringLiteral("-> ") + QString::fromLatin1(shown) + (pduStep ? QStringLiteral("<Ctrl-Z>") : QString()));
    }
    // Bytes that came before the command was written cannot be its answer.
    if (!pduStep)
        readAvailable();
    m_reader.begin(echo, !pduStep && !request.pdu.isEmpty());
    if (!m_urc.isEmpty())
        m_reader.resumeUnsolicited(std::exchange(m_urc, {}).constFirst());
    if (m_lost || !m_device || m_device->write(bytes) != bytes.size()) {
        AtResult result;
        result.lost = true;
        if (!m_lost)
            markLost(); // no step is timed yet, so this only flags and logs
        complete(result);
        return;
    }
    m_timer.start(qMax(1, request.timeoutMs));
}

void AtQueue::readAvailable()
{
    if (!m_device)
        return;
    const QByteArray bytes = m_device->readAll();
    if (bytes.isEmpty())
        return;
    if (!m_current || !m_timer.isActive()) {
        if (m_log && m_log->wantsStatus())
            m_log->status(QStringLiteral("<- (unsolicited) ") + QString::fromLatin1(bytes.trimmed()));
        takeIdleBytes(bytes);
        return;
    }
    if (m_reader.feed(bytes))
        finishStep(true);
}

void AtQueue::takeIdleBytes(const QByteArray &bytes)
{
    m_idleBuffer.append(bytes);
    for (;;) {
        const qsizetype end = m_idleBuffer.indexOf('\n') >= 0 ? m_idleBuffer.indexOf('\n') : m_idleBuffer.indexOf('\r');
        if (end < 0)
            break;
        const QByteArray line = m_idleBuffer.left(end).trimmed();
        m_idleBuffer.remove(0, end + 1);
        if (line.isEmpty())
            continue;
        if (!m_urc.isEmpty()) {
            m_urc.append(line);
            emit unsolicited(std::exchange(m_urc, {}));
        } else if (at::isUnsolicited(line, {})) {
            if (at::urcCarriesPdu(line))
                m_urc = {line};
            else
                emit unsolicited({line});
        }
    }
    // A modem left talking without line ends would otherwise grow this without end.
    if (m_idleBuffer.size() > 4096)
        m_idleBuffer.clear();
}

void AtQueue::stepTimedOut()
{
    if (m_current)
        finishStep(false);
}

void AtQueue::finishStep(bool done)
{
    m_timer.stop();
    const AtRequest &request = m_current->request;
    const bool pduStep = m_current->pduStep;
    AtResult result;
    result.reply = m_reader.reply();
    result.lost = m_lost && !done;
    result.timedOut = !done && !m_lost;
    m_answerOverdue = result.timedOut;
    if (m_log && m_log->wantsStatus()) {
        for (const QByteArray &line : result.reply.lines)
            m_log->status(QStringLiteral("<- ") + QString::fromLatin1(line));
        if (done)
            m_log->status(QStringLiteral("<- ") + (result.reply.status == at::Status::Ok       ? QStringLiteral("OK")
                                                   : result.reply.status == at::Status::Prompt ? QStringLiteral(">")
                                                                                               : result.reply.errorText));
    }
    if (result.timedOut && m_log) {
        const QString what = pduStep ? QStringLiteral("the message")
                                     : QString::fromLatin1(request.logAs.isEmpty() ? request.command : request.logAs);
        m_log->error(QStringLiteral("No answer to %1 within %2 ms").arg(what).arg(request.timeoutMs));
    }
    for (const QList<QByteArray> &urc : m_reader.unsolicited())
        emit unsolicited(urc);
    const QByteArray leftover = m_reader.leftover();
    m_reader.begin({});
    if (!leftover.isEmpty())
        takeIdleBytes(leftover);

    const bool wantsPdu = !pduStep && !request.pdu.isEmpty();
    if (wantsPdu && done && result.reply.status == at::Status::Prompt) {
        m_current->pduStep = true;
        startStep();
        return;
    }
    if (wantsPdu && result.timedOut) {
        // The prompt may still come: escape leaves message entry without sending.
        if (!m_device || m_device->write("\x1B") != 1) {
            markLost();
            complete(result);
            return;
        }
        discardFor(kEscapeDrainMs, [this, result] { complete(result); });
        return;
    }
    complete(result);
}

void AtQueue::complete(const AtResult &result)
{
    std::unique_ptr<Job> job = std::move(m_current);
    QPointer<AtQueue> self(this);
    if (job && job->done)
        job->done(result);
    if (self)
        startNext();
}
