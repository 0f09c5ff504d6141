#include "modempool.h"

#include <QEventLoop>
#include <QThread>
#include <algorithm>

ModemPool::ModemPool(std::vector<std::unique_ptr<SmsComponent>> components, QStringList ports)
{
    m_modems.resize(components.size());
    for (size_t i = 0; i < components.size(); ++i) {
        Modem &modem = m_modems[i];
        modem.port = ports.value(qsizetype(i));
        modem.component = std::move(components[i]);
        modem.thread = new QThread;
        modem.thread->setObjectName(QStringLiteral("modem %1").arg(modem.port));
        modem.home = new QObject;
        modem.home->moveToThread(modem.thread);
        modem.thread->start();
    }
}

ModemPool::~ModemPool()
{
    for (Modem &modem : m_modems) {
        // The component's port and queue belong to the modem's thread and must end there.
        QMetaObject::invokeMethod(modem.home, [&modem] { modem.component.reset(); }, Qt::BlockingQueuedConnection);
        modem.thread->quit();
        modem.thread->wait();
        delete modem.home;
        delete modem.thread;
    }
}

int ModemPool::busyCount() const
{
    return int(std::count_if(m_modems.begin(), m_modems.end(), [](const Modem &m) { return m.busy; }));
}

void ModemPool::post(int index, Job job)
{
    Modem &modem = m_modems.at(index);
    Q_ASSERT(!modem.busy);
    modem.busy = true;
    SmsComponent *component = modem.component.get();
    QMetaObject::invokeMethod(
        modem.home,
        [this, index, component, job = std::move(job)] {
            job(*component);
            // Queued to the pool's own thread: the run reads the result only after this.
            QMetaObject::invokeMethod(this, [this, index] { jobEnded(index); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void ModemPool::jobEnded(int modem)
{
    m_ended.append(modem);
    if (m_waiting)
        m_waiting->quit();
}

int ModemPool::waitForAny()
{
    if (m_ended.isEmpty() && busyCount() > 0) {
        QEventLoop loop;
        m_waiting = &loop;
        while (m_ended.isEmpty())
            loop.exec(QEventLoop::ExcludeUserInputEvents);
        m_waiting = nullptr;
    }
    if (m_ended.isEmpty())
        return -1;
    // A modem stays busy until its result is collected, so it is never handed a second job
    // while the run has not yet heard of the first.
    const int modem = m_ended.takeFirst();
    m_modems.at(modem).busy = false;
    return modem;
}

void ModemPool::waitForAll()
{
    while (busyCount() > 0)
        waitForAny();
}
