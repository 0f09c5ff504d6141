#include "probecomponent.h"

#include "kestrel/kestrel.h"
#include "modemsim/simulatorport.h"

class ProbeComponent::Push : public SmsWapPush
{
public:
    explicit Push(ProbeComponent &owner) : m_owner(owner) {}
    SmsWapPush &inner() { return m_owner.m_inner->WapPush(); }
    void setDestination(const QString &number) override { inner().setDestination(m_destination = number); }
    void setText(const QString &text) override { inner().setText(text); }
    void setUrl(const QString &url) override { inner().setUrl(url); }
    void setPushLevel(int level) override { inner().setPushLevel(level); }
    void setPushDate(qint64 date) override { inner().setPushDate(date); }
    void setPushId(const QString &id) override { inner().setPushId(id); }
    bool IsLengthValid() override { return inner().IsLengthValid(); }
    QString Send() override { return m_owner.timedSend(m_destination, [this] { return inner().Send(); }); }

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
    installSimulatorPort();
    return [probe] { return std::make_unique<ProbeComponent>(createKestrel(), probe); };
}

QString ProbeComponent::timedSend(const QString &number, const std::function<QString()> &send)
{
    ++m_probe->sends;
    if (!m_probe->clock.isValid())
        m_probe->clock.start();
    if (m_probe->firstSendStartNs < 0)
        m_probe->firstSendStartNs = m_probe->clock.nsecsElapsed();
    if (m_probe->beforeSend)
        m_probe->beforeSend(number);
    const qint64 start = m_probe->clock.nsecsElapsed();
    const QString report = send();
    m_probe->sendNs += m_probe->clock.nsecsElapsed() - start;
    return report;
}

SmsWapPush &ProbeComponent::WapPush()
{
    return *m_push;
}
