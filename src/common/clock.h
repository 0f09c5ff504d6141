#pragma once

#include <QtGlobal>

// Pauses and the time of day go through one clock so tests run without waiting.
class Clock
{
public:
    virtual ~Clock() = default;
    // Blocks for ms milliseconds without running events.
    virtual void sleep(int ms) = 0;
    // Milliseconds since some fixed point; only differences matter.
    virtual qint64 nowMs() = 0;
};

class SystemClock : public Clock
{
public:
    void sleep(int ms) override;
    qint64 nowMs() override;
};
