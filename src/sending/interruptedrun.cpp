#include "interruptedrun.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLocale>

QString interruptedRunSummary(const RunJournalState &run)
{
    // The journal's name carries the moment the run started.
    const QString name = QFileInfo(run.path).fileName();
    const QDateTime started = parseRunJournalName(name).second;
    QString text = QStringLiteral("A sending run was interrupted before it ended (%1).\r\n")
                       .arg(started.isValid() ? QStringLiteral("started ") + QLocale().toString(started, QLocale::ShortFormat)
                                              : name);
    text += QStringLiteral("Sent: %1; Failed: %2; Not tried: %3").arg(run.sent).arg(run.failed).arg(run.notTried);
    if (run.skipped > 0)
        text += QStringLiteral("; Skipped (opt-out): %1").arg(run.skipped);
    text += QLatin1Char('.');
    if (run.uncertainPositions.size() == 1)
        text += QStringLiteral("\r\nThe message to %1 was being sent when the run stopped: it may or may not "
                               "have reached that number.")
                    .arg(run.start.numbers.value(run.uncertainPosition));
    else if (run.uncertainPositions.size() > 1)
        text += QStringLiteral("\r\nThe messages to %1 were being sent when their modems stopped: they may or may "
                               "not have reached those numbers.")
                    .arg(uncertainNumbers(run));
    return text;
}

QString uncertainNumbers(const RunJournalState &run)
{
    QStringList numbers;
    for (int pos : run.uncertainPositions)
        numbers << run.start.numbers.value(pos);
    return numbers.join(QStringLiteral(", "));
}
