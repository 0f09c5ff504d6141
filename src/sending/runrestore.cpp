#include "runrestore.h"

#include "messagecomposer.h"

#include "common/datafolder.h"
#include "common/error.h"
#include "recipients/recipientlist.h"
#include "sending/interruptedrun.h"


namespace {

void restore(AppContext &context, const RunJournalState &run, RecipientList &list, MessageComposer &composer)
{
    bool withUncertain = false;
    if (run.uncertainPosition >= 0)
        withUncertain = context.dialogs.ask(
            QStringLiteral("Also put back %1, which may already have received the message?").arg(uncertainNumbers(run)));
    QStringList numbers;
    QList<RecipientFields> fields;
    for (const int pos : run.notSentPositions(withUncertain)) {
        numbers << run.start.numbers.at(pos);
        fields << run.start.fields.value(pos);
    }
    const int added = list.appendMany(numbers, fields);
    composer.setMessage({run.start.text, run.start.url, run.start.wapPush, run.start.alert, run.start.encoding});
    closeRunJournal(run.path, RunEnd::Restored, QStringLiteral("%1 numbers").arg(added));
    if (added < numbers.size())
        context.dialogs.exclamation(QStringLiteral("The phone number list is full: %1 of the %2 numbers not sent "
                                                   "were put back; the rest are in %3.")
                                        .arg(added)
                                        .arg(numbers.size())
                                        .arg(run.path));
}

} // namespace

void offerInterruptedRuns(AppContext &context, RecipientList &list, MessageComposer &composer)
{
    const QString logs = logsFolder(context.dataFolder);
    QStringList journals;
    try {
        journals = unfinishedRunJournals(logs);
    } catch (...) {
        // No logs folder means no journal; nothing to offer.
        noteIgnoredError("listing the run journals");
        return;
    }
    for (const QString &path : journals) {
        try {
            const RunJournalState run = readRunJournal(path);
            const int notSent = run.notSent(false).size();
            const QString question = interruptedRunSummary(run)
                                     + (notSent == 1 ? QStringLiteral("\r\n\r\nPut the number not sent and the message "
                                                                      "back into the window?")
                                                     : QStringLiteral("\r\n\r\nPut the %1 numbers not sent and the "
                                                                      "message back into the window?")
                                                           .arg(notSent));
            if (context.dialogs.ask(question))
                restore(context, run, list, composer);
            else
                closeRunJournal(path, RunEnd::Dismissed);
        } catch (...) {
            const QuilloError error = currentError();
            context.dialogs.critical(error.description());
        }
    }
}
