#include "sendingrun.h"

#include "messagecomposer.h"
#include "previewdialog.h"
#include "windowlock.h"

#include "common/errortrap.h"
#include "common/text.h"
#include "recipients/recipientlist.h"

#include "settings/settingstab.h"

#include <QCoreApplication>
#include <QProgressBar>

SendingRun::SendingRun(AppContext &context, MainFrame &frame, Parts parts, QObject *parent)
    : QObject(parent), m_context(context), m_frame(frame), m_parts(parts), m_engine(context, parts.list, *this)
{
    m_previewer = [this](const RunPlan &plan, bool beforeStart) {
        PreviewDialog dialog(plan, beforeStart ? PreviewDialog::Purpose::BeforeStart : PreviewDialog::Purpose::Look,
                             m_parts.composer.window());
        return dialog.exec() == QDialog::Accepted;
    };
}

void SendingRun::mnuMsgPreview_Click()
{
    errorTrap(m_context, QStringLiteral("mnuMsgPreview_Click"), [&] {
        if (m_parts.list.count() == 0) {
            m_context.dialogs.exclamation(QStringLiteral("Mobile No not found in list!"));
            return;
        }
        ComposedMessage message = m_parts.composer.message();
        message.text = trimSpaces(message.text);
        m_previewer(planRun(message, m_parts.list.entries(), m_parts.list.allFields(),
                            m_parts.settings.messageOptions().longMessage),
                    false);
    });
}

bool SendingRun::reviewRun(const RunPlan &plan)
{
    return m_previewer(plan, true);
}

SendingRun::~SendingRun() = default;

void SendingRun::cmdStartSending_Click()
{
    // The gateway as its dialog last saved it: on, it takes the place of the modems.
    const GatewaySettings gateway = loadGatewaySettings(m_context.dataFolder);
    m_engine.setGateway(gateway.use ? std::optional(gateway) : std::nullopt);
    m_engine.start(m_parts.composer.message(), m_parts.settings.messageOptions());
}

void SendingRun::cmdStopSending_Click()
{
    m_engine.requestStop();
}

void SendingRun::status(int panel, const QString &text)
{
    m_frame.panel(panel)->setText(text);
}

void SendingRun::letEventsRun()
{
    QCoreApplication::processEvents();
}

void SendingRun::lock()
{
    setTabsLocked(m_frame, true);
    DisableControls(m_frame, m_parts.composer, m_parts.recipients);
}

void SendingRun::unlock()
{
    // The controls first: EnableControls lets events run, and a tab click queued meanwhile
    // must still find the Tools tab locked, or its modem refresh would open the port the
    // run has not yet released.
    EnableControls(m_frame, m_parts.composer, m_parts.recipients);
    setTabsLocked(m_frame, false);
}

void SendingRun::showModem(const QString &manufacturer, const QString &model, const QString &imei,
                           const QString &imsi)
{
    const ModemInfoView &info = m_parts.modemInfo;
    info.manufacturer->setText(manufacturer);
    info.model->setText(model);
    info.imei->setText(imei);
    info.imsi->setText(imsi);
}

void SendingRun::showNetwork(const QString &name, int signal)
{
    m_parts.modemInfo.network->setText(name);
    // A reading beyond the bar's end shows a full bar; it is still a strong signal.
    m_parts.modemInfo.signal->setValue(std::min(signal, 100));
}

void SendingRun::progressStart(int total)
{
    QProgressBar *bar = m_frame.progressBar();
    bar->setMaximum(total);
    bar->setValue(0);
    bar->show();
}

void SendingRun::progressStep()
{
    QProgressBar *bar = m_frame.progressBar();
    if (bar->maximum() > bar->value())
        MoveProgressTo(m_frame, m_context.clock, bar->value() + 1);
}

void SendingRun::progressReset(bool hide)
{
    QProgressBar *bar = m_frame.progressBar();
    bar->setValue(0);
    if (hide)
        bar->hide();
}

void SendingRun::exitAfterRun()
{
    m_frame.performExit();
}
