#include "importintake.h"

#include "common/dialogs.h"
#include "phonenumber.h"

void ImportIntake::take(const QString &candidate, const RecipientFields &fields)
{
    if (candidate.isEmpty() || !IsValidPhoneNumber(candidate))
        return;
    if (m_list.IsNumberInList(candidate)) {
        DuplicateFound = true;
        return;
    }
    m_list.append(candidate, fields);
    NoNumberAdded = false;
}

void ImportIntake::showClosingMessage(Dialogs &dialogs, const ImportClosingTexts &texts) const
{
    if (NoNumberAdded)
        dialogs.exclamation(texts.empty);
    else if (DuplicateFound)
        dialogs.information(texts.duplicates);
}
