#include "runreport.h"

#include "common/csvline.h"

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

bool RunReport::open(const QString &path, bool withText)
{
    m_withText = withText;
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QStringList heading{QStringLiteral("number"), QStringLiteral("outcome"), QStringLiteral("references"),
                        QStringLiteral("error number"), QStringLiteral("error text"), QStringLiteral("time")};
    if (withText)
        heading << QStringLiteral("text");
    m_file.write(csvLine(heading));
    return m_file.flush();
}

void RunReport::add(const NumberOutcome &outcome)
{
    m_file.write(reportLine(outcome, m_withText));
    m_file.flush();
}
