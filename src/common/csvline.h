#pragma once

#include <QByteArray>
#include <QStringList>

// One CSV line (RFC 4180: a field holding a comma, a quote or a line end is quoted, its
// quotes doubled), UTF-8 and CR LF ended as spreadsheet programs expect.
QByteArray csvLine(const QStringList &fields);
