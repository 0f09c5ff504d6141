#pragma once

// Run journals for the Delivery view's tests, written as a run and its reports would.
#include "sending/runjournal.h"

#include <QDateTime>
#include <QList>

namespace deliverytest {

inline QDateTime at(int hour, int minute = 0, int second = 0)
{
    return QDateTime(QDate(2026, 12, 7), QTime(hour, minute, second), Qt::OffsetFromUTC, 3600);
}

// A number of a run: sent with refs, or failed when refs is empty.
struct Number
{
    QString number;
    QString refs;
    QString modem; // in a run with several modems
};

// A run started at start; asked: whether it asked for delivery reports.
inline QString writeRun(const QString &folder, const QDateTime &start, const QList<Number> &numbers, bool asked,
                        const QList<QPair<QString, QString>> &moreOptions = {})
{
    RunJournalStart begin;
    begin.text = QStringLiteral("Hi");
    begin.options = {{QStringLiteral("port"), QStringLiteral("/dev/ttyUSB0")}};
    if (asked)
        begin.options.append({kDeliveryReportsOption, QStringLiteral("1")});
    begin.options += moreOptions;
    for (const Number &n : numbers)
        begin.numbers += n.number;
    RunJournalWriter writer = RunJournalWriter::create(folder, begin, [start] { return start; });
    for (int pos = 0; pos < numbers.size(); ++pos) {
        const Number &n = numbers.at(pos);
        writer.handed(pos, n.modem);
        if (n.refs.isEmpty())
            writer.failed(pos, 302, QStringLiteral("Time out"), n.modem);
        else
            writer.sent(pos, n.refs, n.modem);
    }
    writer.end(RunEnd::Completed);
    return writer.path();
}

inline void report(const QString &journal, int pos, const QString &number, const QString &ref,
                   gsm::DeliveryStatus status, const QDateTime &when, const QString &reason = {})
{
    appendDeliveryRecord(journal, {pos, number, ref, status, reason}, [when] { return when; });
}

} // namespace deliverytest
