#pragma once

#include "recipients/numbernormaliser.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

// One message a person sent back to a modem.
struct Reply
{
    QDateTime time; // the service centre's time stamp: when the person sent it
    QString modem;  // the port of the modem it came to
    QString sender;
    bool stop = false; // a stop request: the sender went on the opt-out list
    QString text;

    bool operator==(const Reply &) const = default;
};

// The replies log: replies.log in the logs folder, one line per reply, appended as each
// comes and never rewritten, so the operator can read every answer the modems heard. Its
// lines have the run journal's shape (runjournalformat.h): UTF-8, fields separated by TAB,
// the same escapes, ended by LF:
//   <time>  reply|stop  <modem>  <sender>  <text>
// "stop" marks a stop request. A line cut short by a crash while it was written is left out.
//
// Errors: append and read throw QuilloError (source "Replies log") naming the file, and for
// a malformed line its number; a missing file reads as no replies.
class RepliesLog
{
public:
    static QString fileName() { return QStringLiteral("replies.log"); }
    // logsFolder: with its trailing separator (datafolder.h).
    static QString pathIn(const QString &logsFolder) { return logsFolder + fileName(); }

    explicit RepliesLog(QString path);

    void append(const Reply &reply) const;
    // Newest line first.
    QList<Reply> readNewestFirst() const;

    QString path() const { return m_path; }

private:
    QString m_path;
};

// The run a number last got a message from: the file name of the newest run journal in
// logsFolder whose numbers hold it (compared by normaliser key), or empty when none does.
// Journals that cannot be read are passed over: a damaged old run must not hide the replies.
class LastRuns
{
public:
    LastRuns(const QString &logsFolder, NumberNormaliser normaliser);
    QString of(const QString &number) const;

private:
    QHash<QString, QString> m_journalByKey;
    NumberNormaliser m_normaliser;
};
