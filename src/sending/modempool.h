#pragma once

#include "kestrel/smscomponent.h"

#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QEventLoop;
class QThread;

// Several modems at work at once. The SMS component is synchronous: each call waits for the
// modem's answer in a local event loop, so one thread can wait on one modem only. The pool
// therefore gives each modem's component a thread of its own with its own event loop, where
// the component's port and AT queue live for the whole run, and the run stays on the main
// thread: it posts one job at a time to a modem and hears of its end through that thread's
// event queue. A job runs wholly on its modem's thread and touches only that component and
// the result it fills; the run reads the result once the job has ended. So the AT dialogue is
// the driver's own, and everything the run writes (the list, the journal, the logs, the
// view) stays on one thread.
class ModemPool : public QObject
{
    Q_OBJECT
public:
    using Job = std::function<void(SmsComponent &)>;

    // ports name the modems for reports; components[i] serves ports[i].
    ModemPool(std::vector<std::unique_ptr<SmsComponent>> components, QStringList ports);
    // Releases each component on its own thread (which closes its port), then ends the threads.
    // Waits for a job still running.
    ~ModemPool() override;

    int size() const { return int(m_modems.size()); }
    QString port(int modem) const { return m_modems.at(modem).port; }
    // Between jobs only.
    SmsComponent &component(int modem) { return *m_modems.at(modem).component; }
    // From post until waitForAny has returned the modem.
    bool isBusy(int modem) const { return m_modems.at(modem).busy; }
    int busyCount() const;

    // Starts job on the modem's thread; the modem must not be busy.
    void post(int modem, Job job);
    // Waits until a job has ended and returns its modem, in the order they ended. Timers and
    // painting go on meanwhile; user input waits, as it does while one modem is asked.
    // -1 when no job is running or waiting to be collected.
    int waitForAny();
    // Waits for every job running.
    void waitForAll();

private:
    struct Modem
    {
        QString port;
        std::unique_ptr<SmsComponent> component;
        QThread *thread = nullptr;
        QObject *home = nullptr; // lives on thread; jobs are delivered to it
        bool busy = false;
    };

    void jobEnded(int modem);

    std::vector<Modem> m_modems;
    QList<int> m_ended; // modems whose job ended and was not yet collected
    QEventLoop *m_waiting = nullptr;
};
