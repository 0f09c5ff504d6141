#pragma once

#include <QString>

class Dialogs;
class ImportList;

// The text-file import behind the dialog's Import button (ImportFromText): one number per
// CR LF line of an ANSI file; invalid lines are skipped, duplicates taken once. Every
// outcome is told through dialogs; nothing is thrown.
void importTextFile(Dialogs &dialogs, ImportList &list, const QString &path, bool append);

// The most pieces a phone list may have: their index is a 16-bit signed number.
constexpr int kMaxPhoneListPieces = 32768;
