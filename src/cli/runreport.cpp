#include "runreport.h"

#include "common/ansitext.h"
#include "common/csvline.h"
#include "common/error.h"

#include <QStringList>

QByteArray reportLine(const NumberOutcome &o, bool withText)
{
    const QString outcome = o.skipped ? QStringLiteral("skipped") : o.sent ? QStringLiteral("sent") : QStringLiteral("failed");
    QStringList fields{o.number, outcome, o.references,
                       o.sent || o.skipped ? QString() : QString::number(o.errorNumber), o.errorText,
                       o.when.toString(Qt::ISODate)};
    if (withText)
        fields << o.text;
    return csvLine(fields);
}

QByteArray RunReport::heading() const
{
    QStringList heading{QStringLiteral("number"), QStringLiteral("outcome"), QStringLiteral("references"),
                        QStringLiteral("error number"), QStringLiteral("error text"), QStringLiteral("time")};
    if (m_withText)
        heading << QStringLiteral("text");
    if (m_withDelivery)
        heading << QStringLiteral("delivery");
    return csvLine(heading);
}

QByteArray RunReport::line(const NumberOutcome &outcome, const QString &delivery) const
{
    QByteArray bytes = reportLine(outcome, m_withText);
    if (m_withDelivery) {
        bytes.chop(2); // CR LF
        bytes += csvLine({delivery}).prepend(',');
    }
    return bytes;
}

bool RunReport::open(const QString &path, bool withText, bool withDelivery)
{
    m_withText = withText;
    m_withDelivery = withDelivery;
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    m_file.write(heading());
    return m_file.flush();
}

void RunReport::add(const NumberOutcome &outcome)
{
    m_lines += outcome;
    m_file.write(line(outcome, outcome.sent && m_withDelivery ? QStringLiteral("pending") : QString()));
    m_file.flush();
}

bool RunReport::addDelivery(const QHash<QString, QString> &statuses)
{
    QByteArray bytes = heading();
    for (const NumberOutcome &outcome : m_lines)
        bytes += line(outcome, outcome.sent ? statuses.value(outcome.number) : QString());
    try {
        writeFileBytes(m_file.fileName(), bytes);
    } catch (const QuilloError &error) {
        m_error = error.description();
        return false;
    }
    return true;
}
