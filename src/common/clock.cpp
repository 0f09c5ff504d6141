#include "clock.h"

#include <QDateTime>
#include <QThread>

void SystemClock::sleep(int ms)
{
    if (ms > 0)
        QThread::msleep(static_cast<unsigned long>(ms));
}

qint64 SystemClock::nowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}
