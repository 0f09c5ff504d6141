#include "messagerecorder.h"

#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// Every line starts with the time of the event.
QJsonObject stamped()
{
    QJsonObject o;
    o.insert(QStringLiteral("time"), QDateTime::currentDateTime().toString(Qt::ISODateWithMs));
    return o;
}

} // namespace

QByteArray MessageRecorder::jsonLine(const ReceivedMessage &message)
{
    QJsonObject o = stamped();
    o.insert(QStringLiteral("number"), message.number);
    o.insert(QStringLiteral("text"), message.text);
    o.insert(QStringLiteral("pdu"), QString::fromLatin1(message.pdu));
    if (message.flash)
        o.insert(QStringLiteral("flash"), true);
    if (message.concatRef >= 0) {
        o.insert(QStringLiteral("ref"), message.concatRef);
        o.insert(QStringLiteral("part"), message.concatSeq);
        o.insert(QStringLiteral("parts"), message.concatTotal);
    }
    if (message.destinationPort >= 0)
        o.insert(QStringLiteral("port"), message.destinationPort);
    return QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
}

bool MessageRecorder::record(const ReceivedMessage &message) const
{
    return append(jsonLine(message));
}

bool MessageRecorder::record(const SentReport &report) const
{
    QJsonObject o = stamped();
    o.insert(QStringLiteral("report"), report.reference);
    o.insert(QStringLiteral("number"), report.number);
    o.insert(QStringLiteral("status"), report.status);
    o.insert(QStringLiteral("st"), report.tpStatus);
    o.insert(QStringLiteral("routing"), report.routing);
    return append(QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n');
}

bool MessageRecorder::record(const DeliveredMessage &message) const
{
    QJsonObject o = stamped();
    o.insert(QStringLiteral("incoming"), message.sender);
    o.insert(QStringLiteral("text"), message.text);
    o.insert(QStringLiteral("parts"), message.parts);
    o.insert(QStringLiteral("routing"), message.routing);
    return append(QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n');
}

bool MessageRecorder::append(const QByteArray &line) const
{
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    return file.write(line) == line.size();
}
