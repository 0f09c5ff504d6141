#pragma once

#include "smscomponent.h"

#include <QByteArray>

class KestrelDriver;

// The WAP Push object of the component: a Service Indication pointing at Url with Text as
// its message, sent as one 8-bit SMS to the push port.
class KestrelWapPush : public SmsWapPush
{
public:
    explicit KestrelWapPush(KestrelDriver *driver) : m_driver(driver) {}

    void setDestination(const QString &number) override { m_destination = number; }
    void setText(const QString &text) override { m_text = text; }
    void setUrl(const QString &url) override { m_url = url; }
    void setPushLevel(int level) override { m_level = level; }
    void setPushDate(qint64 date) override { m_date = date; }
    void setPushId(const QString &id) override { m_id = id; }
    bool IsLengthValid() override;
    QString Send() override;

    // The WSP push PDU for the current settings; id is the si-id to use.
    QByteArray payload(const QString &id) const;

private:
    QString madeUpId() const;

    KestrelDriver *m_driver;
    QString m_destination;
    QString m_text;
    QString m_url;
    int m_level = 2;
    qint64 m_date = 0;
    QString m_id = QStringLiteral("0");
};
