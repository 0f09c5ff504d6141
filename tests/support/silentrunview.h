#pragma once

#include "sending/runengine.h"

#include <QCoreApplication>

// A run view that shows nothing and lets events run, for runs without a window.
class SilentRunView : public RunView
{
public:
    void status(int, const QString &) override {}
    void letEventsRun() override { QCoreApplication::processEvents(); }
    void lock() override {}
    void unlock() override {}
    void showModem(const QString &, const QString &, const QString &, const QString &) override {}
    void showNetwork(const QString &, int) override {}
    void progressStart(int) override {}
    void progressStep() override {}
    void progressReset(bool) override {}
    void exitAfterRun() override {}
};
