#include "probecomponent.h"

#include "kestrel.h"

class ProbeComponent::Push : public SmsWapPush
{
public:
    explicit Push(ProbeComponent &owner) : m_owner(owner) {}
    SmsWapPush &inner() { return m_owner.m_inner->WapPush(); }
    void setDestination(const QString &number) override
    {
        m_destination = number;
        inner().setDestination(number);
    }
    void setText(const QString &text) override { inner().setText(text); }
    void setUrl(const QString &url) override { inner().setUrl(url); }
    void setPushLevel(int level) override { inner().setPushLevel(level); }
    void setPushDate(qint64 date) override { inner().setPushDate(date); }
    void setPushId(const QString &id) override { inner().setPushId(id); }
    bool IsLengthValid() override { return inner().IsLengthValid(); }
    QString Send() override
    {
        m_owner.beforeSend(m_destination);
        const qint64 start = m_owner.m_probe->clock.nsecsElapsed();
        const QString report = inner().Send();
        m_owner.m_probe->sendNs += m_owner.m_probe->clock.nsecsElapsed() - start;
        return report;
    }

private:
    ProbeComponent &m_owner;
    QString m_destination;
};

ProbeComponent::ProbeComponent(std::unique_ptr<SmsComponent> inner, std::shared_ptr<Probe> probe)
    : m_inner(std::move(inner)), m_probe(std::move(probe)), m_push(std::make_unique<Push>(*this))
{
}

ProbeComponent::~ProbeComponent() = default;

SmsComponentFactory ProbeComponent::factory(std::shared_ptr<Probe> probe)
{
    return [probe] { return std::make_unique<ProbeComponent>(createKestrel(), probe); };
}

void ProbeComponent::beforeSend(const QString &number)
{
    ++m_probe->sends;
    if (!m_probe->clock.isValid())
        m_probe->clock.start();
    if (m_probe->firstSendStartNs < 0)
        m_probe->firstSendStartNs = m_probe->clock.nsecsElapsed();
    if (m_probe->beforeSend)
        m_probe->beforeSend(number);
}

QString ProbeComponent::SendSMS(const QString &number, const QString &text, bool alert)
{
    beforeSend(number);
    const qint64 start = m_probe->clock.nsecsElapsed();
    const QString report = m_inner->SendSMS(number, text, alert);
    m_probe->sendNs += m_probe->clock.nsecsElapsed() - start;
    return report;
}

SmsWapPush &ProbeComponent::WapPush()
{
    return *m_push;
}
