#include "runwindow.h"
#include "findcontrol.h"

#include "sending/messagecomposer.h"
#include "recipients/recipientlist.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <algorithm>

RunWindow::RunWindow(SmsComponentFactory factory)
{
    tc.context.componentFactory = std::move(factory);
    window = std::make_unique<MainWindow>(tc.context, [this] { ++terminations; });
    window->Form_Load();
    ComDetails &d = tc.state.Details;
    d.PIN.clear();
    d.SMSC.clear();
    d.Port = QStringLiteral("SIMULATOR");
    d.BaudRate = QStringLiteral("115200");
    d.DataBits = QStringLiteral("8");
    d.StopBits = QStringLiteral("1");
    d.Parity = QStringLiteral("None");
    d.Validity = QStringLiteral("1 Day");
    d.SendDelay = d.SendRetry = d.SysLog = QStringLiteral("0");
    d.MsgLog = QStringLiteral("2");
}

QString RunWindow::completeBox(int sent, int failed, int skipped)
{
    return QStringLiteral("Sending complete. [Sent:%1; Failed:%2]").arg(sent).arg(failed)
           + (failed ? QStringLiteral("\r\n\r\nDestination numbers still remaining in the list are those to which "
                                      "message sending failed.")
                     : QString())
           + (skipped ? QStringLiteral("\r\n\r\nSkipped (opt-out): %1, not sent and taken out of the list.").arg(skipped)
                      : QString());
}

RecipientList &RunWindow::list() { return *findControl<RecipientList>(*window, QStringLiteral("RecipientList")); }
MessageComposer &RunWindow::composer() { return *findControl<MessageComposer>(*window, QStringLiteral("fraMessage")); }
QStringList RunWindow::numbers() { return list().entries(); }
void RunWindow::setMessage(const QString &text) { composer().setMessageText(text); }
void RunWindow::click(const char *button) { findControl<QAbstractButton>(*window, QLatin1String(button))->click(); }
void RunWindow::start() { click("cmdStartSending"); }
void RunWindow::stop() { click("cmdStopSending"); }
QString RunWindow::panel(int number) { return window->panel(number)->text(); }
QString RunWindow::label(const char *name) { return findControl<QLabel>(*window, QLatin1String(name))->text(); }
int RunWindow::signalBar() { return findControl<QProgressBar>(*window, QStringLiteral("prbSignal"))->value(); }
bool RunWindow::enabled(const char *name) { return findControl<QWidget>(*window, QLatin1String(name))->isEnabled(); }

void RunWindow::setNumbers(const QStringList &numbers)
{
    list().clear();
    for (const QString &number : numbers)
        list().append(number);
}

void RunWindow::setWapPush(bool on, const QString &url)
{
    findControl<QCheckBox>(*window, QStringLiteral("chkWapPush"))->setChecked(on);
    composer().chkWapPush_Click();
    findControl<QLineEdit>(*window, QStringLiteral("txtURL"))->setText(url);
}

void RunWindow::runToCompletion(int sent, int failed, int skipped)
{
    tc.dialogs.expectQuestionStartingWith(kStart, true);
    tc.dialogs.expectMessage(completeBox(sent, failed, skipped), Dialogs::Icon::None);
    start();
}

QStringList RunWindow::messageLog()
{
    QFile file(logs + QStringLiteral("message.log"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    // The date-time ends with the seconds' digit, followed by ": ".
    static const QRegularExpression prefix(QStringLiteral("^.*?\\d: "));
    for (QString &line : lines)
        line.remove(prefix);
    return lines;
}

RunJournalState RunWindow::lastJournal() const
{
    const QStringList names = QDir(logs).entryList({QStringLiteral("run-*.journal")}, QDir::Files);
    // By name alone the first journal of a second would sort after its -2, -3...
    const auto newest = std::max_element(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return parseRunJournalName(a) < parseRunJournalName(b);
    });
    return newest == names.end() ? RunJournalState{} : readRunJournal(logs + *newest);
}
