#pragma once

#include "atqueue.h"

#include <QObject>
#include <memory>

class QIODevice;
class ModemLog;

// One modem in use: its open port and the AT queue on it, kept for as long as the modem is
// needed (a whole run, not one command), so that what the modem says between commands,
// such as a status report arriving after its message was sent, has somewhere to go. The
// session notices a port that goes away (an unplugged USB modem, a hung-up line) and from
// then on fails every request at once.
class ModemSession : public QObject
{
    Q_OBJECT
public:
    ModemSession(std::unique_ptr<QIODevice> device, ModemLog *log, QObject *parent = nullptr);
    ~ModemSession() override;

    AtQueue &queue() { return m_queue; }
    bool isLost() const { return m_queue.isLost(); }

    // Closes the port; requests still queued fail as lost.
    void close();

private:
    std::unique_ptr<QIODevice> m_device;
    AtQueue m_queue;
};
