#include "atchannel.h"

#include <QEventLoop>
#include <QTimer>

AtResult AtChannel::run(const AtRequest &request)
{
    AtResult result;
    bool done = false;
    QEventLoop loop;
    m_queue.enqueue(request, [&](const AtResult &r) {
        result = r;
        done = true;
        loop.quit();
    });
    if (!done)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return result;
}

AtResult AtChannel::command(const QByteArray &command, int timeoutMs, const QByteArray &logAs)
{
    return run(AtRequest{command, timeoutMs, logAs, {}});
}

AtResult AtChannel::submit(int tpduLength, const QByteArray &hex, int timeoutMs)
{
    return run(AtRequest{"AT+CMGS=" + QByteArray::number(tpduLength), timeoutMs, {}, hex});
}

void AtChannel::drain(int ms)
{
    if (m_queue.isLost())
        return;
    bool done = false;
    QEventLoop loop;
    m_queue.discardFor(ms, [&] {
        done = true;
        loop.quit();
    });
    if (!done)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void AtChannel::pause(int ms)
{
    if (ms <= 0)
        return;
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}
