#include "modemlistener.h"

#include "deliverpdu.h"
#include "modemlog.h"

#include <QPointer>

ModemListener::ModemListener(AtQueue &queue, ModemLog *log, const Options &options, QObject *parent)
    : QObject(parent), m_queue(queue), m_log(log), m_options(options), m_joiner(options.partTimeoutMs)
{
    m_clock.start();
    m_partTimer.setSingleShot(true);
    connect(&m_partTimer, &QTimer::timeout, this, &ModemListener::flushParts);
    connect(&m_queue, &AtQueue::unsolicited, this, &ModemListener::onUnsolicited);
}

QByteArray ModemListener::cnmiCommand(const Options &options, Routing routing)
{
    // <mt> 1 stores a message and announces it (+CMTI), 2 hands it over (+CMT); <ds> 1
    // hands a report over (+CDS), 2 stores and announces it (+CDSI). 0 routes nothing.
    const bool stored = routing == Routing::Stored;
    const int mt = options.messages ? (stored ? 1 : 2) : 0;
    const int ds = options.reports ? (stored ? 2 : 1) : 0;
    return "AT+CNMI=2," + QByteArray::number(mt) + ",0," + QByteArray::number(ds) + ",0";
}

void ModemListener::start()
{
    route(m_options.routing, true);
    // What came while nobody listened: the current memory, read and then emptied.
    request("AT+CMGL=4", [this, memory = m_memory](const AtResult &r) {
        if (r.ok())
            takeList(memory, r);
    });
}

void ModemListener::request(const QByteArray &command, std::function<void(const AtResult &)> done)
{
    QPointer<ModemListener> self(this);
    m_queue.enqueue({command, m_options.timeoutMs, {}, {}}, [self, done = std::move(done)](const AtResult &r) {
        if (self)
            done(r);
    });
}

void ModemListener::route(Routing routing, bool firstTry)
{
    request(cnmiCommand(m_options, routing), [this, routing, firstTry](const AtResult &r) {
        if (r.ok() || r.lost || r.timedOut)
            return;
        if (firstTry) {
            route(routing == Routing::Stored ? Routing::Direct : Routing::Stored, false);
            return;
        }
        if (m_log)
            m_log->error(QStringLiteral("The modem routes no status reports or messages (AT+CNMI: %1)").arg(r.reply.errorText));
    });
}

void ModemListener::onUnsolicited(const QList<QByteArray> &lines)
{
    const QByteArray &code = lines.constFirst();
    QByteArray memory;
    int index = -1;
    if (at::parseStoredIndication(code, &memory, &index)) {
        readStored(memory, index);
        return;
    }
    // +CMT: [<alpha>],<length> and +CDS: <length>, each with its PDU on the next line. With
    // AT+CSMS=0, as modems start, no acknowledgement (AT+CNMA) is due.
    if ((code.startsWith("+CMT:") || code.startsWith("+CDS:")) && lines.size() == 2)
        take(lines.at(1), QString::fromLatin1(code.left(5)));
}

bool ModemListener::take(const QByteArray &hex, const QString &where)
{
    QString error;
    switch (gsm::pduKind(hex)) {
    case gsm::PduKind::StatusReport: {
        gsm::StatusReport report;
        if (!gsm::decodeStatusReport(hex, &report, &error))
            break;
        if (m_log)
            m_log->status(QStringLiteral("Status report for reference %1 to %2: %3 (%4)")
                              .arg(report.reference).arg(report.recipient, gsm::statusName(report.outcome), report.reason));
        emit reportReceived(report);
        return true;
    }
    case gsm::PduKind::Deliver: {
        gsm::DeliverPart part;
        if (!gsm::decodeDeliver(hex, &part, &error))
            break;
        if (m_log)
            m_log->status(QStringLiteral("Message from %1").arg(part.sender));
        if (const std::optional<IncomingMessage> message = m_joiner.add(part, m_clock.elapsed()))
            emit messageReceived(*message);
        const qint64 deadline = m_joiner.nextDeadline();
        if (deadline >= 0)
            m_partTimer.start(int(qMax<qint64>(0, deadline - m_clock.elapsed())));
        return true;
    }
    case gsm::PduKind::Submit:
        return false; // a message this modem keeps to send: not ours to delete
    case gsm::PduKind::Unknown:
        error = QStringLiteral("not a PDU this program reads");
        break;
    }
    // Kept in memory rather than deleted unread: someone may yet read it another way.
    if (m_log)
        m_log->error(QStringLiteral("Unreadable PDU from %1 (%2): %3").arg(where, error, QString::fromLatin1(hex.left(80))));
    return false;
}

void ModemListener::selectMemory(const QByteArray &memory)
{
    // Empty: the modem's own choice, as it was when this listener started.
    if (memory.isEmpty() || memory == m_memory)
        return;
    // Only the memory that AT+CMGR and AT+CMGD use; the others stay as the modem has them.
    m_memory = memory;
    request("AT+CPMS=\"" + memory + "\"", [this](const AtResult &r) {
        if (!r.ok())
            m_memory.clear(); // ask again next time
    });
}

void ModemListener::readStored(const QByteArray &memory, int index)
{
    selectMemory(memory);
    request("AT+CMGR=" + QByteArray::number(index), [this, memory, index](const AtResult &r) {
        const QList<at::StoredPdu> pdus = at::parseStoredPdus(r.reply.lines);
        if (!r.ok() || pdus.isEmpty()) {
            if (m_log && !r.lost)
                m_log->error(QStringLiteral("Could not read %1 %2 (%3)").arg(QString::fromLatin1(memory)).arg(index)
                                 .arg(r.timedOut ? QStringLiteral("no answer") : r.reply.errorText));
            return;
        }
        if (take(pdus.constFirst().pdu, QStringLiteral("%1 %2").arg(QString::fromLatin1(memory)).arg(index)))
            remove(memory, index);
    });
}

void ModemListener::takeList(const QByteArray &memory, const AtResult &result)
{
    for (const at::StoredPdu &stored : at::parseStoredPdus(result.reply.lines)) {
        if (take(stored.pdu, QStringLiteral("stored %1").arg(stored.index)))
            remove(memory, stored.index);
    }
}

void ModemListener::remove(const QByteArray &memory, int index)
{
    // Another indication may have moved AT+CPMS on since this one was read.
    selectMemory(memory);
    request("AT+CMGD=" + QByteArray::number(index), [this, index](const AtResult &r) {
        if (!r.ok() && !r.lost && m_log)
            m_log->error(QStringLiteral("Could not delete message %1 (%2)").arg(index).arg(r.reply.errorText));
    });
}

void ModemListener::flushParts()
{
    for (const IncomingMessage &message : m_joiner.takeExpired(m_clock.elapsed())) {
        if (m_log)
            m_log->error(QStringLiteral("Message from %1 incomplete: %2 of %3 parts came")
                             .arg(message.sender).arg(message.parts).arg(message.partsExpected));
        emit messageReceived(message);
    }
    const qint64 deadline = m_joiner.nextDeadline();
    if (deadline >= 0)
        m_partTimer.start(int(qMax<qint64>(0, deadline - m_clock.elapsed())));
}
