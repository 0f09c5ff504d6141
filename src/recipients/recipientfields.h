#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// One recipient's other columns, brought along from the row of a worksheet, table or .csv
// file its number came from: column name -> the value as text, in the source's column
// order. Empty for a number typed in or read from a text file.
using RecipientFields = QList<QPair<QString, QString>>;

// The value of the column named name (without regard to case); null text when the
// recipient has no such column.
QString fieldValue(const RecipientFields &fields, const QString &name);

// The column names of all the lists' recipients, each once (the first spelling met), in
// the order they are first met.
QStringList fieldNames(const QList<RecipientFields> &fields);
