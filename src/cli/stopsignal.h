#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

// SIGINT and SIGTERM as an event: the handler only writes a byte to a pipe (all a signal
// handler may safely do), and the notifier on its other end calls onStop the next time the
// run lets events run. The run then finishes the number in flight before it stops.
class StopSignal : public QObject
{
public:
    explicit StopSignal(std::function<void()> onStop);
    ~StopSignal() override;
    bool received() const { return m_received; }

private:
    std::function<void()> m_onStop;
    QSocketNotifier *m_notifier = nullptr;
    bool m_received = false;
};
