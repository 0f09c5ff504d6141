#pragma once

#include <QDateTime>
#include <QFile>
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
// texts are personal adds a last column, the text each number was sent.
class RunReport
{
public:
    // False, with the reason in error(), when the file cannot be written.
    bool open(const QString &path, bool withText = false);
    void add(const NumberOutcome &outcome);
    QString error() const { return m_file.errorString(); }

private:
    QFile m_file;
    bool m_withText = false;
};
