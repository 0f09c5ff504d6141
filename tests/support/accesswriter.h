#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>
// Writes a small Access database of the given tables, for tests: Jet 3 (Access 97, 2 KB pages,
// text in Windows-1252) or Jet 4 (Access 2000-2003, 4 KB pages, text as UCS-2 with Unicode
// compression off or on). Columns are Long Integer or Text; a null QVariant is a Null cell.
// Input Access could not hold, or this writer does not write (a text longer than its
// column, a character outside Windows-1252 or a row past 256 bytes in Jet 3, a row of the
// wrong width, a name over 64 characters, a row or a table definition larger than a page),
// throws std::invalid_argument naming the table, row and column. The same input always gives the same bytes.
namespace AccessWriter {
// Ace12 is an Access 2007 .accdb: the Jet 4 layout under the ACE engine's name.
enum class Format { Jet3, Jet4, Ace12 };
struct Column {
    enum class Type { Long, Text };
    QString name;
    Type type = Type::Text;
    int size = 50;            // characters, for Text
};
struct Table {
    QString name;
    QList<Column> columns;
    QList<QVariantList> rows; // one QVariant per column: qint32 for Long, QString for Text, QVariant() for Null
};
QByteArray write(Format format, const QList<Table> &tables);
bool writeFile(const QString &path, Format format, const QList<Table> &tables); // false when it cannot write
}
