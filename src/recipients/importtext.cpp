#include "importtext.h"

#include "common/ansitext.h"
#include "common/dialogs.h"
#include "common/errornumbers.h"
#include "importfeedback.h"
#include "common/busypointer.h"
#include "importintake.h"
#include "importstatement.h"

void importTextFile(Dialogs &dialogs, ImportList &list, const QString &path, bool append)
{
    if (trimSpaces(path).isEmpty()) {
        dialogs.exclamation(QStringLiteral("Please specify the text file to import phone numbers."));
        return;
    }
    BusyPointer busy(dialogs);
    busy.show();
    if (!append)
        list.clear();
    ImportIntake intake(list);
    try {
        const QStringList pieces = splitPhoneListLines(decodeAnsiText(readFileBytes(path)));
        if (pieces.isEmpty()) {
            busy.restore();
            dialogs.exclamation(QStringLiteral("Selected text file is empty"));
            return;
        }
        if (pieces.size() > kMaxPhoneListPieces)
            throw QuilloError(ErrorNumber::kOverflow, QStringLiteral("Overflow"));
        for (const QString &piece : pieces)
            intake.take(trimSpaces(piece));
        busy.restore();
        intake.showClosingMessage(
            dialogs,
            {QStringLiteral("Selected text file is empty or does not contain any valid phone numbers!"),
             QStringLiteral("Multiple entries of same phone number were found in the text file and were "
                            "filtered while importing.")});
    } catch (...) {
        busy.restore();
        const QuilloError error = currentError(QStringLiteral("Quillo"));
        // Reading the file is the application's own work: its failures carry its name, not
        // the path that the file layer puts in the source.
        ImportErrorBox(dialogs, error.number(), error.description(), QStringLiteral("Quillo"));
    }
}
