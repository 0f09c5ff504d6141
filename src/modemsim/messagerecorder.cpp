#include "messagerecorder.h"

#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

QByteArray MessageRecorder::jsonLine(const ReceivedMessage &message)
{
    QJsonObject o;
    o.insert(QStringLiteral("time"), QDateTime::currentDateTime().toString(Qt::ISODateWithMs));
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
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray line = jsonLine(message);
    return file.write(line) == line.size();
}
