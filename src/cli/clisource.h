#pragma once

#include "cliarguments.h"

class Dialogs;
class ImportList;

// Fills list (emptied first) from the source through the import dialog's own functions
// (importTextFile, importDatabase), so the command line takes exactly the numbers the window
// would: the same validity test, duplicates dropped, the same statements. A workbook's
// first worksheet with named columns, a database's first table and their first column stand
// in for what the options leave out. The import's own messages go to dialogs.
// Returns the refusal naming the file or option at fault, or empty text when the import ran.
QString importSource(const SourceOptions &source, Dialogs &dialogs, ImportList &list);
