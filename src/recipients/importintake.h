#pragma once

#include "importlist.h"

#include <QString>

class Dialogs;

// The texts an import closes with: the one when nothing was taken, the one when duplicates
// were skipped.
struct ImportClosingTexts
{
    QString empty;
    QString duplicates;
};

// The steps every import applies to one candidate number, and the flags that choose the
// closing message. One object per import run.
class ImportIntake
{
public:
    explicit ImportIntake(ImportList &list) : m_list(list) {}

    // candidate has had its blanks removed already. Empty or invalid candidates are
    // skipped silently; one already in the list sets DuplicateFound; the rest is appended.
    void take(const QString &candidate, const RecipientFields &fields = {});

    // Nothing taken: the empty text (exclamation), even when every number was a duplicate;
    // else duplicates skipped: the duplicates text (information); else nothing.
    void showClosingMessage(Dialogs &dialogs, const ImportClosingTexts &texts) const;

    bool NoNumberAdded = true;
    bool DuplicateFound = false;

private:
    ImportList &m_list;
};
