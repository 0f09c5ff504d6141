#include "terminalrunview.h"

#include "terminaldialogs.h"

#include <QCoreApplication>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr int kBarWidth = 20;

int terminalColumns(std::FILE *out)
{
    winsize size{};
    if (ioctl(fileno(out), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

// The per-number texts of panel 1 ("Sending (n)", "Sent (n)", "Failed (n)"); the run's steps
// are the others.
bool isNumberStatus(const QString &text)
{
    return text.startsWith(QLatin1String("Sending (")) || text.startsWith(QLatin1String("Sent ("))
        || text.startsWith(QLatin1String("Failed ("));
}

} // namespace

void TerminalRunView::writeLine(const QString &text)
{
    if (m_barShown)
        std::fputs("\r\033[K", m_out);
    std::fprintf(m_out, "%s\n", text.toUtf8().constData());
    if (m_barShown)
        redraw();
    std::fflush(m_out);
}

void TerminalRunView::note(const QString &line)
{
    if (m_barShown) {
        std::fputs("\r\033[K", m_out);
        std::fflush(m_out);
    }
    TerminalDialogs::writeToStderr(line);
    if (m_barShown)
        redraw();
}

void TerminalRunView::status(int panel, const QString &text)
{
    if (panel < 1 || panel > 4)
        return;
    const bool changed = m_panels[panel] != text;
    if (panel == 1 && changed && text.startsWith(QLatin1String("Paused: "))) {
        // A run paused by its caps goes on afterwards: the line goes above the bar, which stays.
        m_panels[panel] = text;
        writeLine(text);
        return;
    }
    if (panel == 1 && changed && !isNumberStatus(text) && text != QLatin1String("Idle") && !text.isEmpty()) {
        // A step after the numbers (Done, aborted, an error) ends the bar where it stands.
        endBar();
        m_panels[panel] = text;
        writeLine(text);
        return;
    }
    m_panels[panel] = text;
    if (m_barShown && changed)
        redraw();
}

void TerminalRunView::letEventsRun()
{
    QCoreApplication::processEvents();
}

void TerminalRunView::showModem(const QString &manufacturer, const QString &model, const QString &imei,
                                const QString &imsi)
{
    writeLine(QStringLiteral("Modem: %1 %2, IMEI %3, IMSI %4").arg(manufacturer, model, imei, imsi));
}

void TerminalRunView::showNetwork(const QString &name, int signal)
{
    writeLine(QStringLiteral("Network: %1, signal %2%").arg(name).arg(signal));
}

void TerminalRunView::progressStart(int total)
{
    m_total = total;
    m_done = 0;
    m_barShown = m_terminal;
    if (m_barShown)
        redraw();
}

void TerminalRunView::progressStep()
{
    if (m_done < m_total)
        ++m_done;
    if (m_barShown)
        redraw();
}

void TerminalRunView::progressReset(bool)
{
    endBar();
}

void TerminalRunView::endBar()
{
    if (m_barShown) {
        redraw();
        std::fputc('\n', m_out);
        std::fflush(m_out);
    }
    m_barShown = false;
}

void TerminalRunView::numberDone(const QString &number, bool sent, const QString &report, qint32 errorNumber,
                                 const QString &errorText)
{
    const NumberOutcome outcome{number, sent, report, errorNumber, errorText, QDateTime::currentDateTime()};
    for (const auto &listener : std::as_const(m_listeners))
        listener(outcome);
    const QString where = QStringLiteral("%1/%2").arg(m_done + 1).arg(m_total);
    if (!sent)
        writeLine(QStringLiteral("%1 failed %2: %3 %4").arg(where, number).arg(errorNumber).arg(errorText));
    else if (!m_terminal)
        writeLine(QStringLiteral("%1 sent %2 [%3]").arg(where, number, report));
}

void TerminalRunView::numberSkipped(const QString &number)
{
    NumberOutcome outcome{number};
    outcome.when = QDateTime::currentDateTime();
    outcome.skipped = true;
    for (const auto &listener : std::as_const(m_listeners))
        listener(outcome);
    writeLine(QStringLiteral("%1/%2 skipped %3 (opt-out)").arg(m_done + 1).arg(m_total).arg(number));
}

QString TerminalRunView::progressLine(int columns) const
{
    const int filled = m_total > 0 ? int(qint64(m_done) * kBarWidth / m_total) : 0;
    const int percent = m_total > 0 ? int(qint64(m_done) * 100 / m_total) : 0;
    QString line = QLatin1Char('[') + QString(filled, QLatin1Char('#')) + QString(kBarWidth - filled, QLatin1Char('.'))
        + QStringLiteral("] %1% %2/%3").arg(percent, 3).arg(m_done).arg(m_total);
    for (int panel : {3, 4, 1}) {
        if (!m_panels[panel].isEmpty())
            line += QStringLiteral("  ") + m_panels[panel];
    }
    // A line longer than the terminal would wrap, and \r would then redraw only its last part.
    return line.left(std::max(columns - 1, 0));
}

void TerminalRunView::redraw()
{
    std::fprintf(m_out, "\r\033[K%s", progressLine(terminalColumns(m_out)).toUtf8().constData());
    std::fflush(m_out);
}

void TerminalRunView::deliveryReported(const QString &number, gsm::DeliveryStatus status, const QString &reason)
{
    note(QStringLiteral("Delivery report: %1 %2%3")
             .arg(number, gsm::statusName(status), reason.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(reason)));
}
