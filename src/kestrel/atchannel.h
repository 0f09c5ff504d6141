#pragma once

#include "atqueue.h"

#include <QByteArray>
#include <QObject>

class QIODevice;
class ModemLog;

// The AT dialogue one call at a time, for callers that go step by step (the SMS component
// and its command line). Each call hands one request to the session's queue and waits for
// its answer in a local event loop that lets timers and painting run but holds back user
// input, so the window stays drawn and no click can start a second operation. Every wait
// has a time limit; once the device is lost every call fails at once.
class AtChannel
{
public:
    explicit AtChannel(AtQueue &queue) : m_queue(queue) {}

    bool isLost() const { return m_queue.isLost(); }

    // logAs, when given, is written to the modem log instead of the command (a PIN).
    AtResult command(const QByteArray &command, int timeoutMs, const QByteArray &logAs = {});
    // AT+CMGS in PDU mode: the command, the "> " prompt, then the PDU and Ctrl-Z.
    AtResult submit(int tpduLength, const QByteArray &hex, int timeoutMs);
    // Reads and drops whatever arrives within ms (a stale answer after an interruption).
    void drain(int ms);
    // A pause that, like the waits, holds back user input.
    static void pause(int ms);

private:
    AtResult run(const AtRequest &request);

    AtQueue &m_queue;
};
