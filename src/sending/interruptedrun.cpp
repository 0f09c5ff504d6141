#include "interruptedrun.h"

#include <QFileInfo>

QString interruptedRunSummary(const RunJournalState &run)
{
    QString text = QStringLiteral("A sending run was interrupted before it ended (%1).\r\n")
                       .arg(QFileInfo(run.path).fileName());
    text += QStringLiteral("Sent: %1; Failed: %2; Not tried: %3.").arg(run.sent).arg(run.failed).arg(run.notTried);
    if (run.uncertainPosition >= 0)
        text += QStringLiteral("\r\nThe message to %1 was being sent when the run stopped: it may or may not "
                               "have reached that number.")
                    .arg(run.start.numbers.value(run.uncertainPosition));
    return text;
}
