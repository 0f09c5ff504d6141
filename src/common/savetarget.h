#pragma once

#include "dialogs.h"

#include <QString>

// What a Save As dialog says about the chosen file before it closes: with refuseReadOnly a
// read-only file is refused (the dialog stays open), with confirmCreate a file that does not
// exist yet is created only when the user agrees.
struct SaveTargetCheck
{
    enum class Kind { Fine, Refuse, AskCreate };
    Kind kind = Kind::Fine;
    QString text; // the box for Refuse (exclamation) and AskCreate (Yes/No)
};
SaveTargetCheck checkSaveTarget(const QString &path, const Dialogs::FileRequest &request);
