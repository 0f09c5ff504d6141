#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <functional>

// Writes a one-worksheet BIFF8 workbook for the benchmark: a heading row, then rows
// whose cells are numbers (stored as IEEE doubles, as Excel stores them) or texts.
QByteArray writeBenchWorkbook(const QString &sheet, const QStringList &headings, int rows,
                              const std::function<QVariant(int row, int column)> &cell);
