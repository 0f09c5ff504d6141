#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The line format of a run journal, kept apart from the file handling so it can be tested
// alone. One record per line, ended by LF; a line is fields separated by TAB: the local time
// with its UTC offset, the record's word, then the record's own fields. Inside a field a
// backslash starts an escape, so a field never holds a TAB, CR or LF and any text survives:
//   \\  backslash    \t  TAB    \n  LF    \r  CR
//   \uXXXX  any other control character (U+0000..U+001F, U+007F) or a lone UTF-16
//           surrogate, as four hex digits of its UTF-16 code unit
// Everything else, "=" and non-Latin letters included, is written as plain UTF-8.
namespace journalformat {

QString escapeField(const QString &text);
// Nothing when the field holds a backslash that starts none of the escapes above.
std::optional<QString> unescapeField(const QString &field);

// The time as the journal writes it: local, ISO 8601 with milliseconds and the offset,
// "2026-12-07T14:03:09.125+01:00", so the moment stays unambiguous across a clock change.
QString timeField(const QDateTime &when);

// One whole line, LF included: the time, the word, then the fields escaped.
QByteArray line(const QDateTime &when, const QString &word, const QStringList &fields = {});
// A line without its LF split back into time, word and unescaped fields; nothing when it
// has fewer than two fields, a bad escape or a time that does not parse.
struct Line
{
    QDateTime when;
    QString word;
    QStringList fields;
};
std::optional<Line> parseLine(const QString &text);

} // namespace journalformat
