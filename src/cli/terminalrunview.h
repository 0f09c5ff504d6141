#pragma once

#include "runreport.h"
#include "sending/runengine.h"

#include <QList>
#include <cstdio>
#include <functional>

// The sending run in a terminal. On a terminal one line is redrawn in place: a bar, n/total,
// the errors, the time left and the number being sent; failed numbers are written above it.
// Otherwise (a pipe, a log file, cron) each step of the run and each number get a line of
// their own, so the output can be read and grepped afterwards.
class TerminalRunView : public RunView
{
public:
    TerminalRunView(std::FILE *out, bool terminal) : m_out(out), m_terminal(terminal) {}

    // Each number's outcome also goes to these, in order (the report; a journal).
    void addListener(std::function<void(const NumberOutcome &)> listener) { m_listeners << std::move(listener); }

    void status(int panel, const QString &text) override;
    void letEventsRun() override;
    void lock() override {}
    void unlock() override {}
    void showModem(const QString &manufacturer, const QString &model, const QString &imei,
                   const QString &imsi) override;
    void showNetwork(const QString &name, int signal) override;
    void progressStart(int total) override;
    void progressStep() override;
    void progressReset(bool hide) override;
    void exitAfterRun() override {}
    void numberDone(const QString &number, bool sent, const QString &report, qint32 errorNumber,
                    const QString &errorText) override;
    void numberSkipped(const QString &number) override;
    void deliveryReported(const QString &number, gsm::DeliveryStatus status, const QString &reason) override;

    // A line to standard error, the bar cleared before and drawn again after it.
    void note(const QString &line);

    // The line redrawn on a terminal, for a width of columns.
    QString progressLine(int columns) const;

private:
    void writeLine(const QString &text);
    void redraw();
    void endBar();

    std::FILE *m_out;
    bool m_terminal;
    QList<std::function<void(const NumberOutcome &)>> m_listeners;
    QString m_panels[5];
    int m_total = 0;
    int m_done = 0;
    bool m_barShown = false;
};
