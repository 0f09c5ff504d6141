#pragma once

#include <QDateTime>
#include <QString>

// message.log in the "logs" folder under the data folder: one line per status event
// of a run, per failed message and (at level 2) per sent message and per number skipped
// for the opt-out list. Each line opens, appends
// and closes the file, so other programs can read the log at any time.
class MessageLog
{
public:
    // The log folder is fixed here: the data folder followed by "logs".
    explicit MessageLog(const QString &dataFolder);

    // 0 writes nothing, 1 status lines and failed messages, 2 sent messages as well.
    void setLogType(qint16 LoggingType) { m_level = LoggingType; }
    qint16 LogType() const { return m_level; }

    void StatusLog(const QString &strStatus);
    // modem: the port that sent, in a run with several modems; it ends the line ("; modem P").
    void ErrorMsgLog(const QString &Dest, const QString &modem = {});
    void SentMsgLog(const QString &Dest, const QString &SendReport, const QString &modem = {});
    // A number on the opt-out list that the run passed over (level 2, as sent messages).
    void SkippedMsgLog(const QString &Dest);
    // Empties message.log (KeepLines 0) or keeps only its last KeepLines lines.
    void Clear(qint16 KeepLines);

    QString logFolder() const { return m_folder; }
    QString filePath() const;

private:
    void appendLine(const QString &text);

    QString m_folder;
    qint16 m_level = 0;
};

// The number of SMS a send report stands for: one reference per SMS, separated by ",".
int smsCountOfReport(const QString &sendReport);
// The local date and time as the log writes it: the locale's short date (with a four-digit
// year), a blank, the time with seconds.
QString messageLogDateTime(const QDateTime &when);
