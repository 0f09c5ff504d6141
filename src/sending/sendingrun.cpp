#include "sendingrun.h"

#include "logs/componentstart.h"
#include "messagecomposer.h"
#include "logs/messagelog.h"
#include "recipients/recipientlist.h"
#include "sendingrunvalues.h"
#include "settings/settingstab.h"
#include "timeleft.h"
#include "windowlock.h"

#include "common/errortrap.h"
#include "common/text.h"
#include "common/paths.h"

#include <QApplication>
#include <QProgressBar>
#include <QScopeGuard>

namespace {

// Below this reading (on the bar's 0 to 100 scale) messages are likely to fail.
constexpr int kLowSignal = 36;
const QString kAbortQuestion = QStringLiteral("Abort sending remaining messages?");

// Thrown at a checkpoint when the operator confirmed the stop; the click takes the
// user-abort ending.
struct StopConfirmed
{
};


} // namespace


SendingRun::SendingRun(AppContext &context, MainFrame &frame, Parts parts, QObject *parent)
    : QObject(parent), m_context(context), m_frame(frame), m_parts(parts), m_list(&parts.list)
{
}

SendingRun::~SendingRun() = default;

void SendingRun::cmdStopSending_Click()
{
    m_context.state.ContinueSending = false;
}

void SendingRun::status(int panel, const QString &text)
{
    m_frame.panel(panel)->setText(text);
}

void SendingRun::letEventsRun()
{
    QCoreApplication::processEvents();
}

void SendingRun::setHourglass(bool on)
{
    if (on == m_hourglass)
        return;
    m_hourglass = on;
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void SendingRun::release()
{
    // Releasing the component closes the port.
    m_component.reset();
    m_log.reset();
}

void SendingRun::unlockWindow()
{
    setTabsLocked(m_frame, false);
    EnableControls(m_frame, m_parts.composer, m_parts.recipients);
}

void SendingRun::cmdStartSending_Click()
{
    // A click that reaches Start while a run is still ending is ignored; a run started inside
    // that ending would release the objects the ending goes on using.
    if (m_running)
        return;
    m_running = true;
    const auto notRunning = qScopeGuard([this] { m_running = false; });
    m_context.state.ContinueSending = true;
    try {
        Message message;
        if (!checkInput(message))
            return;
        if (!m_context.dialogs.ask(QStringLiteral("Start sending messages?")))
            return;
        setTabsLocked(m_frame, true);
        DisableControls(m_frame, m_parts.composer, m_parts.recipients);

        // Without a component nothing was started: the window is unlocked again so the
        // operator can mend the installation or the settings and try once more.
        m_component = startSmsComponent(m_context);
        if (!m_component) {
            unlockWindow();
            return;
        }

        Outcome outcome;
        try {
            outcome = prepareAndSend(message);
        } catch (const StopConfirmed &) {
            outcome = Outcome::UserAbort;
        }
        switch (outcome) {
        case Outcome::Completed:
            break; // ended inside sendAll, where the counts are
        case Outcome::UserAbort:
            endUserAbort();
            break;
        case Outcome::ConnectionFailure:
            endConnectionFailure();
            break;
        case Outcome::Quiet:
            endQuiet();
            break;
        case Outcome::ContentTooLong:
            endContentTooLong();
            break;
        }
    } catch (...) {
        const QuilloError error = currentError();
        endUnexpected(error.number(), error.description());
    }
}

bool SendingRun::checkInput(Message &message)
{
    if (m_list->entry(0).isEmpty()) {
        m_context.dialogs.exclamation(QStringLiteral("Mobile No not found in list!"));
        return false;
    }
    message = m_parts.composer.message();
    message.text = trimSpaces(message.text);
    if (message.text.isEmpty()) {
        m_context.dialogs.exclamation(QStringLiteral("Please enter text message to be sent!"));
        return false;
    }
    // The URL goes to the component as typed; only the test ignores surrounding blanks.
    if (message.wapPush && trimSpaces(message.url).isEmpty()) {
        m_context.dialogs.exclamation(QStringLiteral("Please enter WAP Push URL!"));
        return false;
    }
    return true;
}

void SendingRun::checkpoint()
{
    AppState &state = m_context.state;
    if (state.ContinueSending)
        return;
    setHourglass(false);
    if (m_context.dialogs.ask(kAbortQuestion))
        throw StopConfirmed{};
    state.ContinueSending = true;
    setHourglass(true);
}

SendingRun::Outcome SendingRun::prepareAndSend(const Message &message)
{
    const ComDetails &stored = m_context.state.Details;
    m_log = std::make_unique<MessageLog>(m_context.dataFolder);
    m_log->setLogType(runvalues::toInt16(stored.MsgLog));
    m_component->setInitFlag(false);
    m_component->setLogPath(AddBackslash(AddBackslash(m_context.dataFolder) + QStringLiteral("logs")));
    m_component->setModemLogType(runvalues::toInt16(stored.SysLog));
    setHourglass(true);

    if (!connectModem())
        return Outcome::ConnectionFailure;
    checkpoint();
    if (!readModem())
        return Outcome::Quiet;
    configureMessages(message);
    if (m_component->IsError(true, QStringLiteral("Quillo")))
        return Outcome::ConnectionFailure;
    checkpoint();
    return sendAll(message);
}

bool SendingRun::connectModem()
{
    const ComDetails &stored = m_context.state.Details;
    SmsComponent &modem = *m_component;
    status(1, QStringLiteral("Connecting..."));
    letEventsRun();
    runvalues::writePortSettings(modem, stored);
    modem.setNoPin(trimSpaces(stored.PIN).isEmpty());
    modem.Connect();
    if (modem.IsError(true, QStringLiteral("Quillo")))
        return false;
    if (const std::optional<QString> code = runvalues::validityCode(stored.Validity))
        modem.setValidity(*code);
    return !modem.IsError(true, QStringLiteral("Quillo"));
}

bool SendingRun::readModem()
{
    SmsComponent &modem = *m_component;
    status(1, QStringLiteral("Reading modem info"));
    letEventsRun();
    const ModemInfoView &info = m_parts.modemInfo;
    info.manufacturer->setText(modem.Manufacturer());
    info.model->setText(modem.Model());
    info.imei->setText(modem.IMEI());
    info.imsi->setText(modem.IMSI());

    status(1, QStringLiteral("Reading network info"));
    letEventsRun();
    checkpoint();
    info.network->setText(modem.NetworkName());
    const int signal = std::max<int>(0, modem.SignalStrength());
    // A reading beyond the bar's end shows a full bar; it is still a strong signal.
    info.signal->setValue(std::min(signal, 100));
    if (signal < kLowSignal) {
        status(1, QStringLiteral("Low signal strength"));
        // The operator answers with the normal pointer, as at every question of the run.
        setHourglass(false);
        if (!m_context.dialogs.ask(QStringLiteral("GSM network signal strength is very low.\r\n"
                                                  "Do you want to continue?")))
            return false;
        setHourglass(true);
    }
    return true;
}

void SendingRun::configureMessages(const Message &message)
{
    const ComDetails &stored = m_context.state.Details;
    SmsComponent &modem = *m_component;
    modem.setEncoding(message.encoding);
    modem.setSendDelay(runvalues::sendDelayMs(stored.SendDelay));
    modem.setSendRetry(runvalues::toInt16(stored.SendRetry));
    // The long-message choice and the internal-centre box are read from the Settings tab
    // as they stand, saved or not.
    const MessageOptions options = m_parts.settings.messageOptions();
    if (const std::optional<int> code = runvalues::longMessageCode(options.longMessage))
        modem.setLongMessage(*code);
    if (!options.internalSmsc && !trimSpaces(stored.SMSC).isEmpty())
        modem.setSMSC(stored.SMSC);
}
