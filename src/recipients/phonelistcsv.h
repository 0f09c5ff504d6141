#pragma once

#include "recipientfields.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// A phone list whose numbers carry columns is saved as a .csv file (RFC 4180, UTF-8, CR LF
// after every record): a heading record "Number" and the column names, then one record per
// entry, its number and its values (empty where it has none). Every value is quoted, so a
// spreadsheet or the .csv import reads "0981..." or "2.50" back as the text it was. The
// import reads it back with the columns brought along and Number as the phone column.
inline const QString kNumberHeading = QStringLiteral("Number");

QByteArray formatPhoneListCsv(const QStringList &numbers, const QList<RecipientFields> &fields);

// A .csv file read strictly, as a list with columns must be: the heading record and the
// records after it, each a list of fields. The separator is found as the .csv import finds
// it (a semicolon when the heading holds more of them than commas).
struct CsvRecords
{
    QStringList headings;
    int headingLine = 1; // the file's line where the heading record starts
    QList<QStringList> rows;
};
// Throws QuilloError naming the file and the line for a quoted field that is never closed,
// text between a closing quote and the separator, or two columns of one name (compared
// without regard to case, as placeholders name them).
CsvRecords parseListCsv(const QByteArray &bytes, const QString &path);

// Reads path and checks that it is a list with columns whose phone column is numberColumn
// (without regard to case); throws QuilloError naming the file and the line when it is not.
void checkListCsv(const QString &path, const QString &numberColumn);
