#pragma once

#include "atqueue.h"
#include "messagejoiner.h"
#include "statusreport.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class ModemLog;

// Hears what a modem says on its own about messages: status reports (+CDS, or +CDSI and
// the report read from memory) and incoming messages (+CMT, or +CMTI and the message read
// from memory), each read with AT+CMGR and then deleted with AT+CMGD so the memory never
// fills. start() asks the modem to route them (AT+CNMI) and takes whatever it already
// holds (AT+CMGL=4). It works on a session's queue without waiting, so it runs beside the
// driver's own commands and goes on after a run for as long as the session is open.
// Failures are logged, never raised: a report that cannot be read must not stop a run.
// One listener per modem: references are only unique per modem, so whoever records a
// report knows the modem by the listener it came from.
class ModemListener : public QObject
{
    Q_OBJECT
public:
    // Stored survives a moment when nobody listens (the memory keeps it until read); Direct
    // saves the reads. A modem that refuses one is asked for the other.
    enum class Routing { Stored, Direct };

    struct Options
    {
        bool reports = false;
        bool messages = false;
        Routing routing = Routing::Stored;
        int timeoutMs = 30000;           // per command
        int partTimeoutMs = 10 * 60000;  // how long the parts of a message wait for the rest
    };

    ModemListener(AtQueue &queue, ModemLog *log, const Options &options, QObject *parent = nullptr);

    void start();

    // AT+CNMI=<mode>,<mt>,<bm>,<ds>,<bfr> for the options and routing. Mode 2 holds the
    // indications in the modem while a command runs and sends them after it.
    static QByteArray cnmiCommand(const Options &options, Routing routing);

signals:
    void reportReceived(const gsm::StatusReport &report);
    void messageReceived(const IncomingMessage &message);

private:
    void route(Routing routing, bool firstTry);
    void onUnsolicited(const QList<QByteArray> &lines);
    // A PDU from the modem; true when it was taken (it can then be deleted).
    bool take(const QByteArray &hex, const QString &where);
    void readStored(const QByteArray &memory, int index);
    void takeList(const QByteArray &memory, const AtResult &result);
    void remove(const QByteArray &memory, int index);
    void selectMemory(const QByteArray &memory);
    void request(const QByteArray &command, std::function<void(const AtResult &)> done);
    void flushParts();

    AtQueue &m_queue;
    ModemLog *m_log;
    Options m_options;
    MessageJoiner m_joiner;
    QElapsedTimer m_clock;
    QTimer m_partTimer;
    QByteArray m_memory; // the memory AT+CMGR and AT+CMGD read, once this listener chose it
};
