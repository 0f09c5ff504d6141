#include "runwindow.h"

#include "messagecomposer.h"
#include "recipientlist.h"

#include <QAbstractButton>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>

RunWindow::RunWindow(SmsComponentFactory factory)
{
    tc.context.componentFactory = std::move(factory);
    window = std::make_unique<MainWindow>(tc.context, [this] { ++terminations; });
    window->Form_Load();
    ComDetails &d = tc.state.Details;
    d.Port = QStringLiteral("SIMULATOR");
    d.BaudRate = QStringLiteral("115200");
    d.DataBits = QStringLiteral("8");
    d.StopBits = QStringLiteral("1");
    d.Parity = QStringLiteral("None");
    d.PIN.clear();
    d.Validity = QStringLiteral("1 Day");
    d.SMSC.clear();
    d.SendDelay = QStringLiteral("0");
    d.SendRetry = QStringLiteral("0");
    d.SysLog = QStringLiteral("0");
    d.MsgLog = QStringLiteral("2");
}

RecipientList &RunWindow::list()
{
    return *window->control<RecipientList>(QStringLiteral("RecipientList"));
}

MessageComposer &RunWindow::composer()
{
    return *window->control<MessageComposer>(QStringLiteral("fraMessage"));
}

QStringList RunWindow::numbers()
{
    return list().entries();
}

void RunWindow::addNumbers(const QStringList &numbers)
{
    for (const QString &number : numbers)
        list().append(number);
}

void RunWindow::setMessage(const QString &text)
{
    composer().setMessageText(text);
}

void RunWindow::click(const char *button)
{
    window->control<QAbstractButton>(QLatin1String(button))->click();
}

void RunWindow::start()
{
    click("cmdStartSending");
}

void RunWindow::stop()
{
    click("cmdStopSending");
}

QString RunWindow::panel(int number)
{
    return window->panel(number)->text();
}

QString RunWindow::label(const char *name)
{
    return window->control<QLabel>(QLatin1String(name))->text();
}

bool RunWindow::enabled(const char *name)
{
    return window->control<QWidget>(QLatin1String(name))->isEnabled();
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
