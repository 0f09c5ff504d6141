#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <utility>

#include "kestrel/statusreport.h"
#include "recipients/recipientfields.h"

// The run journal: an append-only record of one sending run in the logs folder, so that after
// a crash the program knows who got the message. One file per run,
// run-YYYYMMDD-HHMMSS[-n].journal; the line format is in runjournalformat.h and the manual's
// Logs page. Each call that writes returns only once its record is on disk (write + fsync).
//
// Errors: every failure to create, write, read or parse a journal throws QuilloError
// (ErrorNumber::kFileIo, or kPathNotFound for a missing logs folder) whose description
// names the file, and for a malformed journal the line.

// What the run sends and to whom, written once when the journal is created.
struct RunJournalStart
{
    QString text;
    QString url;
    bool wapPush = false;
    bool alert = false;
    int encoding = 0; // 0 GSM 7-bit, 2 UCS-2, as the component takes it
    // Free settings worth keeping with the run: long-message mode, validity, port...
    QList<QPair<QString, QString>> options;
    // The value of the option called name; empty when the run has none.
    QString option(const QString &name) const;
    // The run's list in order; a number may appear twice, so records name positions
    // (counted from 0) and carry the number for the reader to check.
    QStringList numbers;
    // The columns each number carries, for a personal message (mergefields.h): empty when
    // no number carries any, else one per number. A resumed run merges them again.
    QList<RecipientFields> fields;
    // The file name of the journal this run continues, when it resumes an interrupted run.
    QString resumes;

    bool operator==(const RunJournalStart &) const = default;
};

// How a run ended, and how the program closed a journal whose run was interrupted.
enum class RunEnd {
    Completed,
    Aborted,           // stopped by the user
    ConnectionFailure,
    LowSignal,         // the user declined to send on a low signal
    ContentTooLong,
    Error,             // detail: the error number and text
    Interrupted,       // the program stopped the run (window closed, quitting)
    Dismissed,         // after a crash: the user let the unsent numbers go
    Restored,          // after a crash: the unsent numbers were put back in the list
    Resumed,           // after a crash: detail names the journal of the run that continues it
};
QString runEndWord(RunEnd kind);

using JournalClock = std::function<QDateTime()>;

class RunJournalWriter
{
public:
    // Creates a new journal in logsFolder and writes the start with one fsync. The name is
    // made unique with -2, -3... when a journal of the same second exists.
    static RunJournalWriter create(const QString &logsFolder, const RunJournalStart &start,
                                   JournalClock clock = {});
    RunJournalWriter(RunJournalWriter &&other) noexcept;
    RunJournalWriter &operator=(RunJournalWriter &&) = delete;
    ~RunJournalWriter();

    QString path() const { return m_path; }

    // The number at position pos goes to the modem now; until its outcome no other may go to
    // that modem. modem: the modem's port in a run with several modems, which each record
    // then carries as its last field; empty (and not written) when the run has one.
    void handed(int pos, const QString &modem = {});
    // Several numbers handed at once (to modems, or to a gateway's requests), on disk with
    // one write and one fsync.
    void handed(const QList<std::pair<int, QString>> &numbers);
    // refs: the modem's message references, "12,13" for a two-part message.
    void sent(int pos, const QString &refs, const QString &modem = {});
    void failed(int pos, int errorNumber, const QString &errorText, const QString &modem = {});
    // The number at pos is on the opt-out list: it never goes to a modem.
    void skipped(int pos);
    // The last record; the writer accepts nothing after it.
    void end(RunEnd kind, const QString &detail = QString());

    // With outcomes held, sent and failed records wait in memory and reach the disk with the
    // next record written (a handing, usually) in its single fsync. A crash in between
    // leaves those numbers uncertain, which a resume asks about: nothing goes twice. For a
    // gateway that answers faster than the disk syncs.
    void holdOutcomes(bool hold) { m_holdOutcomes = hold; }
    // Writes the outcomes held, if any.
    void writeHeldOutcomes();

private:
    RunJournalWriter(QString path, int fd, QStringList numbers, JournalClock clock);
    void append(const QString &word, QStringList fields, const QString &modem);
    void outcome(const QString &word, QStringList fields, const QString &modem);
    void throwIfEnded() const;
    void write(const QByteArray &lines);
    QString numberAt(int pos) const;
    void checkWaiting(int pos, bool handing, const QString &modem) const;

    QString m_path;
    int m_fd = -1;
    QStringList m_numbers;
    JournalClock m_clock;
    QHash<QString, int> m_handed; // per modem, the position at it
    bool m_holdOutcomes = false;
    QByteArray m_heldOutcomes;
};

enum class RunOutcome { NotTried, Sent, Failed, Uncertain, Skipped };

struct RunPosition
{
    RunOutcome outcome = RunOutcome::NotTried;
    QString refs;        // Sent
    int errorNumber = 0; // Failed
    QString errorText;   // Failed
    QString modem;       // the modem's port, in a run with several modems
    // Sent, in a run that asked for delivery reports: what its parts' reports say, as one
    // status (failed or expired when a part is; delivered when every part is; else pending).
    std::optional<gsm::DeliveryStatus> delivery;
    QString deliveryReason;  // the network's words for a failed or expired part
    QDateTime deliveryTime;  // when the last report that changed the status came
    QHash<QString, gsm::DeliveryStatus> partDeliveries; // per reference, its latest report
};

struct RunJournalState
{
    QString path;
    RunJournalStart start;
    QList<RunPosition> positions; // one per number of start.numbers
    bool ended = false;
    RunEnd endKind = RunEnd::Completed;
    QString endDetail;
    int sent = 0;
    int failed = 0;
    int notTried = 0;
    int skipped = 0;
    bool deliveryReports = false; // the run asked for delivery reports
    int uncertainPosition = -1; // handed to the modem with no outcome: it may or may not have gone
    // Every such position, in order: a run with several modems may leave one per modem (a
    // modem lost while sending, or all of them at a crash).
    QList<int> uncertainPositions;

    // The numbers still to send, in the run's order: failed and not tried, and the uncertain
    // one when the user prefers a possible duplicate to a possible miss. Skipped numbers are
    // never among them.
    QStringList notSent(bool includeUncertain) const;
    // The positions of those numbers.
    QList<int> notSentPositions(bool includeUncertain) const;
};

// A torn last line (the program died while writing it) is ignored.
RunJournalState readRunJournal(const QString &path);
// run-YYYYMMDD-HHMMSS[-n].journal: the second its run started (invalid for another name)
// and n, which counts the runs of that second (1 for the first, which has none).
struct RunJournalName
{
    QDateTime second;
    int sameSecond = 1;
    bool operator<(const RunJournalName &other) const
    {
        return second != other.second ? second < other.second : sameSecond < other.sameSecond;
    }
};
RunJournalName parseRunJournalName(const QString &fileName);

// The journals of logsFolder without an end record, newest first, leaving out any that a
// later journal resumes (the program died between starting the new run and closing the old).
// withInterrupted adds those that ended interrupted (a run stopped from outside, which a
// later run may continue).
QStringList unfinishedRunJournals(const QString &logsFolder, bool withInterrupted = false);
// The file name of the journal in the same folder that continues path's run, or empty.
QString runJournalResumedBy(const QString &path);
// Appends an end record to an unfinished journal, dropping a torn last line first.
void closeRunJournal(const QString &path, RunEnd kind, const QString &detail = QString(),
                     JournalClock clock = {});

// The start option that marks a run whose messages asked for delivery reports.
inline const QString kDeliveryReportsOption = QStringLiteral("delivery-reports");

// What became of one part of a sent message, as a status report or a gateway's delivery
// callback said.
struct DeliveryRecord
{
    int position = -1;
    QString number;
    QString reference; // the part's message reference at its modem, or the gateway's id
    gsm::DeliveryStatus status = gsm::DeliveryStatus::Pending;
    QString reason;
};
// Appends a delivery record to the journal of a run, while it runs or after its end (reports
// come as late as the network sends them), dropping a torn last line first. Only a position
// the journal holds as sent may take one: the reader refuses any other.
void appendDeliveryRecord(const QString &path, const DeliveryRecord &record, JournalClock clock = {});
