#pragma once

#include "common/errornumbers.h"
#include "runjournal.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class QuilloError;

// The line format of a run journal and its reading into a run's state, kept apart from the
// file handling so they can be tested alone. One record per line, ended by LF; a line is
// fields separated by TAB: the local time with its UTC offset, the record's word, then the
// record's own fields. Inside a field a backslash starts an escape, so a field never holds a
// TAB, CR or LF and any text survives:
//   \\  backslash    \t  TAB    \n  LF    \r  CR
//   \uXXXX  any other control character (U+0000..U+001F, U+007F) or a lone UTF-16
//           surrogate, as four hex digits of its UTF-16 code unit
// Everything else, "=" and non-Latin letters included, is written as plain UTF-8.
namespace journalformat {

// The first record's version; a reader refuses any other.
inline const QString kVersion = QStringLiteral("1");

QString escapeField(const QString &text);
// Nothing when the field holds a backslash that starts none of the escapes above.
std::optional<QString> unescapeField(const QString &field);

// The time as the journal writes it: local, ISO 8601 with milliseconds and the offset,
// "2026-12-07T14:03:09.125+01:00", so the moment stays unambiguous across a clock change.
QString timeField(const QDateTime &when);

// One whole line, LF included: the time, the word, then the fields escaped. The start of a
// run writes all its lines with one time, formatted once as timeField.
QByteArray line(const QString &time, const QString &word, const QStringList &fields = {});
// A line without its LF split back into time, word and unescaped fields; nothing when it
// has fewer than two fields, a bad escape or a time that does not parse.
struct Line
{
    QDateTime when;
    QString word;
    QStringList fields;
};
std::optional<Line> parseLine(const QString &text);

// What follows the last LF is a record the program was writing when it died, never
// acknowledged to the run: these leave it out.
QList<QByteArray> completeLines(const QByteArray &data);
// The last line ended by LF; nothing when data holds none whole. startsLine: data begins
// where a line begins, as a whole file does and a window on its tail may not.
std::optional<QByteArray> lastCompleteLine(const QByteArray &data, bool startsLine);
// A raw line's record word, without unescaping anything.
QString wordOf(const QByteArray &line);
std::optional<RunEnd> endKindOf(const QString &word);

// A whole journal into its state, checking each record against those before it. Errors
// name the file and the line.
RunJournalState parseJournal(const QByteArray &data, const QString &path);

// The error every journal failure throws, from the source "Run journal".
QuilloError journalError(const QString &description, qint32 number = ErrorNumber::kFileIo);
[[noreturn]] void failLine(const QString &path, int lineNo, const QString &what);

} // namespace journalformat
