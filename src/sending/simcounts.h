#pragma once

#include <QList>
#include <QString>

// What one SIM card has sent lately, so its caps hold across runs and restarts: one record per
// message sent in the last day, in a small text file of the data folder named by the SIM
// (pacing/<IMSI>.txt). Each line is the time (milliseconds since 1970, UTC), the SMS parts
// and the number; "#" starts a comment. The file is replaced whole at each message (written
// to a temporary file, synced, renamed over it), so a kill at any instant leaves either the
// old counts or the new ones, never a torn file.
struct SentRecord
{
    qint64 atMs = 0;
    int parts = 0;
    QString number;
};

class SimCounts
{
public:
    static constexpr qint64 kDayMs = 24 * 3600 * 1000;

    explicit SimCounts(QString path) : m_path(std::move(path)) {}

    // The counts file of a SIM: by its IMSI, or by a stand-in name when the modem gave none.
    static QString pathFor(const QString &dataFolder, const QString &sim);

    // Reads the file (a missing one is a SIM that sent nothing). Throws QuilloError naming the
    // file and the line when it is damaged; the records are then left empty.
    void load(qint64 nowMs);
    // One message sent: recorded, records older than a day dropped, the file replaced.
    // Throws QuilloError naming the file when it cannot be written.
    void add(qint64 nowMs, int parts, const QString &number);

    // Oldest first.
    const QList<SentRecord> &records() const { return m_records; }
    QString path() const { return m_path; }

private:
    void dropOlderThanADay(qint64 nowMs);
    void save() const;

    QString m_path;
    QList<SentRecord> m_records;
};
