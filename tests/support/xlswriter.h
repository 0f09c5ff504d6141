#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

// Writes .xls workbooks for the tests and benchmarks, in the two forms the Excel import
// reads: BIFF8 (Excel 97 and later; stream "Workbook", texts in the shared string table)
// and BIFF5 (Excel 95; stream "Book", texts as 8-bit Windows-1252 LABEL records).
// The stream always sits in regular sectors of the compound file, padded past the mini
// stream cutoff with zero bytes after the last EOF record; the mini stream form is
// tests/data/db/ministream.xls.
namespace XlsWriter {

enum class Format { Biff8, Biff5 };

// Cells row by row: a QString is a text, a number is stored as an IEEE double (as Excel
// stores every number), QVariant() is an empty cell. Row 0 is usually the headings.
struct Sheet
{
    QString name;
    QList<QVariantList> rows;
};

QByteArray write(Format format, const QList<Sheet> &sheets);
bool writeFile(const QString &path, Format format, const QList<Sheet> &sheets);

} // namespace XlsWriter
