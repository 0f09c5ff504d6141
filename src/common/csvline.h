#pragma once

#include <QByteArray>
#include <QStringList>

// One CSV field (RFC 4180: a field holding a comma, a quote or a line end is quoted, its
// quotes doubled). A semicolon is quoted too, for the spreadsheet programs whose locale
// separates with it. quoteAlways: any text not empty is quoted, so that a number keeps its
// leading zeros and plus when a spreadsheet opens the file.
QString csvField(const QString &text, bool quoteAlways = false);

// One CSV line of such fields, UTF-8 and CR LF ended as spreadsheet programs expect.
QByteArray csvLine(const QStringList &fields);
