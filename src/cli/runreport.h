#pragma once

#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QList>
#include <QString>

// One number's outcome in a run, as the run view hears of it.
struct NumberOutcome
{
    QString number;
    bool sent = false;
    QString references; // the send report: message references joined by ","
    qint32 errorNumber = 0;
    QString errorText;
    QDateTime when;
    bool skipped = false; // on the opt-out list: never sent
    QString text; // the number's own text, when the run's texts are personal
};

// A number's line of the report, as csvLine (common/csvline.h) writes it.
QByteArray reportLine(const NumberOutcome &outcome, bool withText = false);

// The --report file: a heading line, then one line per number, each written through at
// once so that the file tells who got the message even when the run is killed. A run whose
// texts are personal adds a column, the text each number was sent; a run that asks for
// delivery reports a last one, each number's delivery status, filled in by addDelivery once
// the reports are in (the file is then replaced whole, so a kill leaves one or the other).
class RunReport
{
public:
    // False, with the reason in error(), when the file cannot be written.
    bool open(const QString &path, bool withText = false, bool withDelivery = false);
    void add(const NumberOutcome &outcome);
    bool withDelivery() const { return m_withDelivery; }
    // statuses: by number, "delivered", "pending"...; a number without one is left empty.
    bool addDelivery(const QHash<QString, QString> &statuses);
    QString error() const { return m_error.isEmpty() ? m_file.errorString() : m_error; }

private:
    QByteArray heading() const;
    QByteArray line(const NumberOutcome &outcome, const QString &delivery) const;

    QFile m_file;
    bool m_withText = false;
    bool m_withDelivery = false;
    QList<NumberOutcome> m_lines;
    QString m_error;
};
