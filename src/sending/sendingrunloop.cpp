// The sending loop of the run and the run's endings.
#include "sendingrun.h"

#include "messagecomposer.h"
#include "logs/messagelog.h"
#include "recipients/recipientlist.h"
#include "timeleft.h"
#include "windowlock.h"

#include "common/errortrap.h"

#include <QProgressBar>

namespace {

const QString kKestrelError = QStringLiteral("Kestrel Error");

QString summary(int sent, int failed)
{
    return QStringLiteral("[Sent:%1; Failed:%2]").arg(sent).arg(failed);
}

} // namespace

SendingRun::Outcome SendingRun::sendAll(const Message &composed)
{
    AppState &state = m_context.state;
    Message message = composed;
    if (message.wapPush) {
        SmsWapPush &push = m_component->WapPush();
        push.setPushLevel(2);
        push.setPushDate(0);
        push.setPushId(QStringLiteral("0"));
        push.setUrl(message.url);
        push.setText(message.text);
        if (!push.IsLengthValid())
            return Outcome::ContentTooLong;
        message.alert = false;
    }

    QProgressBar *bar = m_frame.progressBar();
    bar->setMaximum(m_list->count());
    bar->setValue(0);
    bar->show();

    // The bound is fixed here; `failed` is also the index of the next number, because sent
    // numbers leave the list and failed ones stay in front.
    const int total = m_list->count();
    int failed = 0;
    state.IsSending = true;
    m_log->StatusLog(QStringLiteral("Sending started"));
    const qint64 startMs = m_context.clock.nowMs();

    for (int done = 0; done < total; ++done) {
        letEventsRun();
        checkpoint();
        const QString number = m_list->entry(failed);
        status(1, QStringLiteral("Sending (") + number + QLatin1Char(')'));
        status(2, QString::number(done + 1) + QLatin1Char('/') + QString::number(total));
        status(3, QStringLiteral("Errors: ") + QString::number(failed));
        status(4, QStringLiteral("Time left: ")
                      + FormatTimeLeft(startMs, qint16(done), qint16(total), m_context.clock.nowMs()));
        letEventsRun();

        QString report;
        if (sendOne(message, number, report)) {
            status(1, QStringLiteral("Sent (") + number + QLatin1Char(')'));
            m_list->removeAt(failed);
            m_log->SentMsgLog(number, report);
        } else {
            ++failed;
            status(1, QStringLiteral("Failed (") + number + QLatin1Char(')'));
            status(3, QStringLiteral("Errors: ") + QString::number(failed));
            m_log->ErrorMsgLog(number);
        }
        if (bar->maximum() > bar->value())
            MoveProgressTo(m_frame, m_context.clock, bar->value() + 1);
        letEventsRun();
    }
    endCompleted(total, failed);
    return Outcome::Completed;
}

bool SendingRun::sendOne(const Message &message, const QString &number, QString &report)
{
    SmsComponent &modem = *m_component;
    if (!message.wapPush) {
        report = modem.SendSMS(number, message.text, message.alert);
    } else {
        SmsWapPush &push = modem.WapPush();
        // Setting the destination does not clear the error of the previous number, which is
        // already counted; only an error that appears here means this destination was
        // refused. Otherwise one failure would fail every later push unsent.
        const bool leftOver = modem.IsError(false, kKestrelError);
        push.setDestination(number);
        if (leftOver || !modem.IsError(false, kKestrelError)) {
            push.Send();
            report = QStringLiteral("0");
        }
    }
    return !modem.IsError(false, kKestrelError);
}

void SendingRun::endCompleted(int total, int failed)
{
    AppState &state = m_context.state;
    const QString counts = summary(total - failed, failed);
    status(1, QStringLiteral("Done"));
    m_log->StatusLog(QStringLiteral("Sending completed ") + counts);
    state.IsSending = false;
    QString text = QStringLiteral("Sending complete. ") + counts;
    if (failed != 0)
        text += QStringLiteral("\r\n\r\nDestination numbers still remaining in the list are those to which message "
                               "sending failed.");
    // The operator reads the result with the normal pointer.
    setHourglass(false);
    m_context.dialogs.message(text);
    QProgressBar *bar = m_frame.progressBar();
    bar->setValue(0);
    bar->hide();
    unlockWindow();
    release();
    status(1, QStringLiteral("Idle"));
    for (int panel = 2; panel <= 4; ++panel)
        status(panel, QString());
}

void SendingRun::endUserAbort()
{
    AppState &state = m_context.state;
    // Panels 2 to 4 and the bar's visibility stay as they were, to show where the run stopped.
    m_frame.progressBar()->setValue(0);
    unlockWindow();
    status(1, QStringLiteral("Sending aborted"));
    m_log->StatusLog(QStringLiteral("Sending aborted manually"));
    release();
    setHourglass(false);
    state.IsSending = false;
    if (state.ExitRequested || state.CloseRequested)
        m_frame.performExit();
}

void SendingRun::endConnectionFailure()
{
    status(1, QStringLiteral("ERROR ") + QString::number(m_component->ErrorNumber()));
    unlockWindow();
    letEventsRun();
    release();
    setHourglass(false);
}

void SendingRun::endQuiet()
{
    // Panel 1 keeps "Low signal strength".
    unlockWindow();
    letEventsRun();
    release();
    setHourglass(false);
}

void SendingRun::endContentTooLong()
{
    setHourglass(false);
    m_context.dialogs.exclamation(QStringLiteral("ERROR: WAP Push message (Text + URL) length exceeds allowed size!"));
    status(1, QStringLiteral("Content length eror"));
    unlockWindow();
    release();
}

void SendingRun::endUnexpected(qint32 number, const QString &description)
{
    AppState &state = m_context.state;
    setHourglass(false);
    try {
        reportTrappedError(m_context, QStringLiteral("cmdStartSending_Click"), number, description);
        if (m_log)
            m_log->StatusLog(QStringLiteral("Sending aborted by system"));
        release();
        state.IsSending = false;
        unlockWindow();
    } catch (...) {
        // The ending of an error must not raise another one out of the click.
        noteIgnoredError("ending a run after an error");
        release();
        state.IsSending = false;
    }
}
