#pragma once

#include "dbsource.h"

#include <QString>
#include <memory>

// Opens whichever kind of spreadsheet a file holds, for the Excel connection string: the
// content decides, not the name, where the two can disagree (a workbook saved as .xls
// that is really .xlsx still opens).
//   compound file (D0 CF 11 E0)   .xls, FreeXL       (ExcelSource)
//   zip archive (PK 03 04)        .xlsx, .xlsm, .ods (OrcusSource; .ods by its mimetype)
//   a name ending in .csv or .txt comma-separated    (CsvSource)
namespace SpreadsheetFile {

struct Opened
{
    std::unique_ptr<DbTableSource> source;
    QString sourceName; // the error source of its failures (dberrors.h)
};

// Whether the probe should read the file first: every kind but the text one, which no
// library reads.
bool needsProbe(const QString &path);

// Throws QuilloError kOpenFailed naming the file when it is no spreadsheet or damaged.
Opened open(const QString &path);

} // namespace SpreadsheetFile
