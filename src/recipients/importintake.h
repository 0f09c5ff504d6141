#pragma once

#include "importlist.h"

#include <QString>
#include <QStringList>

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
    explicit ImportIntake(ImportList &list) : m_list(list), m_normaliser(list.normaliser()) {}

    // candidate has had its blanks removed already. Empty or invalid candidates are
    // skipped silently; one already in the list sets DuplicateFound; the rest is appended.
    // With a country for local numbers, the number goes in in international form, and a
    // candidate that cannot be a number of the country is not skipped silently but Refused.
    void take(const QString &candidate, const RecipientFields &fields = {});

    // Nothing taken: the empty text (exclamation), even when every number was a duplicate;
    // else duplicates skipped: the duplicates text (information); else nothing. Refused
    // numbers are counted and named after that text, or alone (information) when there is
    // no other.
    void showClosingMessage(Dialogs &dialogs, const ImportClosingTexts &texts) const;

    bool NoNumberAdded = true;
    bool DuplicateFound = false;
    QStringList Refused;

private:
    QString refusedText() const;

    ImportList &m_list;
    NumberNormaliser m_normaliser;
};
