#include "kestrelwappush.h"

#include "kestreldriver.h"
#include "kestrelerrors.h"
#include "wapsi.h"

#include <QDateTime>

namespace {
constexpr int kMadeUpIdLength = 10;
}

QString KestrelWapPush::madeUpId() const
{
    // Unique enough for a phone to tell pushes apart, and always the same length so the
    // length check before the run holds for the message sent.
    return QString::number(QDateTime::currentMSecsSinceEpoch() % 10000000000LL).rightJustified(kMadeUpIdLength, u'0');
}

QByteArray KestrelWapPush::payload(const QString &id) const
{
    const wap::SiAction action = m_level <= 0 ? wap::SiAction::SignalNone
                                 : m_level >= 4 ? wap::SiAction::Delete
                                                : wap::SiAction(m_level);
    const QDateTime created = m_date > 0 ? QDateTime::fromSecsSinceEpoch(m_date, Qt::UTC) : QDateTime();
    return wap::wspPush(wap::serviceIndication(m_url, m_text, action, id, created));
}

bool KestrelWapPush::IsLengthValid()
{
    const QString id = m_id == QLatin1String("0") ? QString(kMadeUpIdLength, u'0') : m_id;
    return payload(id).size() <= wap::kSingleSmsPayload;
}

QString KestrelWapPush::Send()
{
    const QString id = m_id == QLatin1String("0") ? madeUpId() : m_id;
    const QByteArray data = payload(id);
    if (data.size() > wap::kSingleSmsPayload) {
        m_driver->clearError();
        m_driver->setError(kestrel::WapPushTooLong,
                           QStringLiteral("%1 (%2 of %3 octets)").arg(kestrel::errorDescription(kestrel::WapPushTooLong)).arg(data.size()).arg(wap::kSingleSmsPayload));
        return {};
    }
    return m_driver->sendData(m_destination, wap::wdpPortHeader(), data);
}
