#pragma once

#include "xlswriter.h"

#include <QByteArray>
#include <QString>

// Writes the zip-based spreadsheets for the tests and benchmarks from the same sheets as
// XlsWriter: Office Open XML (.xlsx, .xlsm) and OpenDocument (.ods), as a stored zip; and
// the first sheet as comma-separated values (UTF-8, CRLF, texts quoted, dates as ISO
// text, numbers bare).
// Cells: a QString is a shared (.xlsx) or plain (.ods) text, a number is a number, a bool
// a boolean, a QDate or QDateTime a number formatted as a date (.xlsx) or a date value
// (.ods), a QVariantMap {"formula": text, "value": cached result} a formula cell holding
// its last result, QVariant() an empty cell.
namespace SheetWriter {

enum class Format { Xlsx, Xlsm, Ods, Csv };

// Zip entries are stored, or deflated as office programs write them.
enum class Zip { Stored, Deflated };

QByteArray write(Format format, const QList<XlsWriter::Sheet> &sheets, Zip zip = Zip::Stored);
bool writeFile(const QString &path, Format format, const QList<XlsWriter::Sheet> &sheets, Zip zip = Zip::Stored);

// The file suffix of a format, with its dot.
QString suffix(Format format);

} // namespace SheetWriter
