#include "modeminfo.h"

#include "common/datafolder.h"
#include "common/error.h"
#include "logs/componentstart.h"
#include "logs/logcontrols.h"
#include "logs/messagelog.h"
#include "sending/sendingrunvalues.h"
#include "sending/windowlock.h"


#include <QCoreApplication>
#include <QLabel>
#include <QHeaderView>
#include <QProgressBar>
#include <QTableWidget>

namespace {

constexpr int kToolsTab = 2;

} // namespace

ModemInfoRefresh::ModemInfoRefresh(AppContext &context, MainFrame &frame, LogControls &logControls,
                                   ModemInfoView view, QWidget &refresh, QObject *parent)
    : QObject(parent), m_context(context), m_frame(frame), m_logControls(logControls), m_view(view),
      m_refreshButton(refresh)
{
}

ModemInfoRefresh::~ModemInfoRefresh() = default;

void ModemInfoRefresh::status(const QString &text)
{
    m_frame.panel(1)->setText(text);
}

void ModemInfoRefresh::letEventsRun()
{
    QCoreApplication::processEvents();
}

void ModemInfoRefresh::setValueLabels(const QString &text, bool enabled)
{
    for (QLabel *label : {m_view.manufacturer, m_view.model, m_view.imei, m_view.imsi, m_view.network}) {
        label->setText(text);
        label->setEnabled(enabled);
    }
}

void ModemInfoRefresh::cmdRefresh_Click()
{
    if (m_beforeOpeningPorts)
        m_beforeOpeningPorts();
    m_component = startSmsComponent(m_context);
    if (!m_component)
        return;
    try {
        m_log = std::make_unique<MessageLog>(m_context.dataFolder);
        lockWindow();
        const bool read = connectAndRead();
        readMoreModems(read);
        finish(!read);
    } catch (...) {
        // The operator learns that the reading failed; what failed is in the modem log.
        noteIgnoredError("reading modem and network information");
        m_context.dialogs.exclamation(QStringLiteral("Error reading modem and network information"));
        try {
            finish(true);
        } catch (...) {
            noteIgnoredError("ending the modem reading");
        }
    }
}

void ModemInfoRefresh::lockWindow()
{
    QTabWidget *tabs = m_frame.tabs();
    for (int i = 0; i < tabs->count(); ++i)
        tabs->setTabEnabled(i, i == kToolsTab);
    m_logControls.DisableLogControls();
    setValueLabels(QStringLiteral("Reading..."), false);
    m_view.signal->setValue(0);
    m_view.signal->setEnabled(false);
    // Disabled before events run, so a second click cannot start a refresh inside this one.
    m_refreshButton.setEnabled(false);

    status(QStringLiteral("Connecting..."));
    QProgressBar *progress = m_frame.progressBar();
    progress->setRange(0, 100);
    // The window's bar is enabled only while an operation uses it.
    progress->setEnabled(true);
    progress->show();
    progress->setValue(0);
    for (QAction *menu : m_frame.menus().lockedForRun())
        menu->setEnabled(false);
    letEventsRun();
}

bool ModemInfoRefresh::connectAndRead()
{
    const ComDetails &stored = m_context.state.Details;
    m_log->setLogType(runvalues::toInt16(stored.MsgLog));

    SmsComponent &modem = *m_component;
    modem.setInitFlag(false);
    modem.setModemLogType(runvalues::toInt16(stored.SysLog));
    modem.setLogPath(logsFolder(m_context.dataFolder));
    runvalues::writePortSettings(modem, stored);

    modem.Connect();
    if (modem.IsError(true, QStringLiteral("Quillo")))
        return false;
    moveProgressTo(5);
    // A second connect gives a modem that was still starting up its chance to answer.
    modem.setConnectTimeout(runvalues::kModemTimeoutMs);
    modem.Connect();
    if (modem.IsError(true, QStringLiteral("Quillo")))
        return false;

    const auto readInto = [&](int progress, const QString &what, QLabel *value, auto read) {
        moveProgressTo(progress);
        status(what);
        letEventsRun();
        value->setText(read());
        value->setEnabled(true);
    };
    readInto(10, QStringLiteral("Reading manufacturer"), m_view.manufacturer, [&] { return modem.Manufacturer(); });
    readInto(14, QStringLiteral("Reading model"), m_view.model, [&] { return modem.Model(); });
    readInto(28, QStringLiteral("Reading IMEI"), m_view.imei, [&] { return modem.IMEI(); });
    readInto(42, QStringLiteral("Reading IMSI"), m_view.imsi, [&] { return modem.IMSI(); });

    moveProgressTo(56);
    status(QStringLiteral("Reading network"));
    letEventsRun();
    QString network = modem.NetworkName();
    if (network.trimmed().isEmpty()) {
        moveProgressTo(72);
        letEventsRun();
        network = modem.NetworkCode();
    }
    moveProgressTo(86);
    m_view.network->setText(network);
    m_view.network->setEnabled(true);

    status(QStringLiteral("Reading signal strength"));
    letEventsRun();
    // The bar shows 0 to 100; a modem that knows no reading says -1. A reading above the
    // bar's end is shown full rather than failing the whole check.
    const qint16 signal = modem.SignalStrength();
    m_view.signal->setValue(std::clamp<int>(signal, 0, 100));
    m_view.signal->setEnabled(true);

    moveProgressTo(100);
    status(QStringLiteral("Idle"));
    letEventsRun();
    return true;
}

QStringList ModemInfoRefresh::readModem(SmsComponent &modem, const ComDetails &details)
{
    modem.setInitFlag(false);
    modem.setModemLogType(runvalues::toInt16(details.SysLog));
    modem.setLogPath(logsFolder(m_context.dataFolder));
    runvalues::writePortSettings(modem, details);
    modem.setNoPin(details.PIN.trimmed().isEmpty());
    if (!modem.Connect())
        return {QStringLiteral("ERROR %1 %2").arg(modem.ErrorNumber()).arg(modem.ErrorDescription())};
    QStringList values{modem.Manufacturer(), modem.Model(), modem.IMEI(), modem.IMSI()};
    QString network = modem.NetworkName();
    if (network.trimmed().isEmpty())
        network = modem.NetworkCode();
    values << network << QString::number(std::clamp<int>(modem.SignalStrength(), 0, 100));
    return values;
}

void ModemInfoRefresh::readMoreModems(bool firstRead)
{
    QTableWidget *table = m_view.modems;
    const QList<ModemPort> &more = m_context.state.MoreModems;
    table->setVisible(!more.isEmpty());
    table->setRowCount(0);
    if (more.isEmpty())
        return;
    const ComDetails &stored = m_context.state.Details;
    const auto showRow = [table](int row, const QString &port, const QStringList &values) {
        table->setItem(row, 0, new QTableWidgetItem(port));
        for (int column = 1; column < table->columnCount(); ++column)
            table->setItem(row, column, new QTableWidgetItem(values.value(column - 1)));
        // A failure fills the row rather than one narrow column.
        table->setSpan(row, 1, 1, values.size() == 1 ? table->columnCount() - 1 : 1);
    };
    table->setRowCount(int(more.size()) + 1);
    QStringList first{QStringLiteral("ERROR %1 %2").arg(m_component->ErrorNumber()).arg(m_component->ErrorDescription())};
    if (firstRead) {
        first.clear();
        for (QLabel *label : {m_view.manufacturer, m_view.model, m_view.imei, m_view.imsi, m_view.network})
            first << label->text();
        first << QString::number(m_view.signal->value());
    }
    showRow(0, stored.Port, first);
    // As tall as its rows, so the frame does not grow an empty area.
    table->setFixedHeight(table->horizontalHeader()->height() + table->verticalHeader()->length()
                          + 2 * table->frameWidth());
    for (int i = 0; i < more.size(); ++i) {
        status(QStringLiteral("Reading modem %1").arg(more[i].Port));
        letEventsRun();
        std::unique_ptr<SmsComponent> modem = startSmsComponent(m_context);
        if (!modem)
            return;
        showRow(i + 1, more[i].Port, readModem(*modem, withModemPort(stored, more[i])));
        letEventsRun();
    }
}

void ModemInfoRefresh::finish(bool failed)
{
    // Releasing the component closes the port.
    m_component.reset();
    m_log.reset();
    if (failed) {
        setValueLabels(QStringLiteral("???"), true);
        m_view.signal->setEnabled(true);
    }
    m_refreshButton.setEnabled(true);
    status(QStringLiteral("Idle"));
    m_frame.progressBar()->setValue(0);
    m_frame.progressBar()->hide();
    m_frame.progressBar()->setEnabled(false);
    m_logControls.EnableLogControls();
    QTabWidget *tabs = m_frame.tabs();
    for (int i = 0; i < tabs->count(); ++i)
        tabs->setTabEnabled(i, true);
    for (QAction *menu : m_frame.menus().lockedForRun())
        menu->setEnabled(true);
}

void ModemInfoRefresh::moveProgressTo(int target)
{
    MoveProgressTo(m_frame, m_context.clock, target);
}
