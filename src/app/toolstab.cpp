#include "toolstab.h"

#include "common/namedwidget.h"

#include "logs/logcontrols.h"
#include "modeminfo.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <tuple>

namespace {

} // namespace

ToolsTab::ToolsTab(AppContext &context, MainFrame &frame, QWidget *parent)
    : QWidget(parent), m_context(context), m_frame(frame)
{
    setObjectName(QStringLiteral("tabTools"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(buildInfoFrame());

    auto *logs = new QHBoxLayout;
    LogFrameControls modemLog;
    LogFrameControls messageLog;
    logs->addWidget(buildLogFrame(true, modemLog), 1);
    logs->addWidget(buildLogFrame(false, messageLog), 1);
    layout->addLayout(logs);

    m_lblLogNote = new QLabel(this);
    m_lblLogNote->setObjectName(QStringLiteral("lblLogNote"));
    m_lblLogNote->setWordWrap(true);
    layout->addWidget(m_lblLogNote);
    layout->addStretch(1);

    m_logControls = new LogControls(m_context, m_frame, modemLog, messageLog, this);
    m_refresh = new ModemInfoRefresh(m_context, m_frame, *m_logControls, m_modemInfo, *m_cmdRefresh, this);
    // The window's menus exist before its tabs, so the Log menu entries can be wired now.
    m_logControls->connectControls();
    connect(m_cmdRefresh, &QPushButton::clicked, m_refresh, &ModemInfoRefresh::cmdRefresh_Click);
}

ToolsTab::~ToolsTab() = default;

QWidget *ToolsTab::buildInfoFrame()
{
    auto *frame = new QGroupBox(QStringLiteral("Modem, SIM && Network Information"), this);
    frame->setObjectName(QStringLiteral("fraModemInfo"));
    auto *grid = new QGridLayout(frame);
    grid->setColumnStretch(1, 1);
    grid->setHorizontalSpacing(16);

    const std::tuple<const char *, QString, QLabel **> rows[] = {
        {"lblManufacturer", QStringLiteral("Manufacturer:"), &m_modemInfo.manufacturer},
        {"lblModel", QStringLiteral("Model:"), &m_modemInfo.model},
        {"lblIMEI", QStringLiteral("IMEI:"), &m_modemInfo.imei},
        {"lblIMSI", QStringLiteral("IMSI:"), &m_modemInfo.imsi},
        {"lblNetwork", QStringLiteral("Network:"), &m_modemInfo.network},
    };
    int row = 0;
    for (const auto &[name, caption, slot] : rows) {
        auto *fixed = new QLabel(caption, frame);
        auto *value = new QLabel(QStringLiteral("???"), frame);
        value->setObjectName(QLatin1String(name));
        value->setAccessibleName(QString(caption).remove(QLatin1Char(':')));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(fixed, row, 0);
        grid->addWidget(value, row, 1);
        *slot = value;
        ++row;
    }

    grid->addWidget(new QLabel(QStringLiteral("Signal Strength:"), frame), row, 0);
    auto *signal = new QProgressBar(frame);
    signal->setObjectName(QStringLiteral("prbSignal"));
    signal->setAccessibleName(QStringLiteral("Signal Strength"));
    signal->setRange(0, 100);
    signal->setValue(0);
    signal->setFixedWidth(260);
    m_modemInfo.signal = signal;
    // Aligned, so the bar's fixed width does not cap the value column's width.
    grid->addWidget(signal, row, 1, Qt::AlignLeft);
    ++row;

    auto *modems = named(new QTableWidget(0, 7, frame), "tblModems", QStringLiteral("Modems"));
    modems->setHorizontalHeaderLabels({QStringLiteral("Port"), QStringLiteral("Manufacturer"), QStringLiteral("Model"),
                                       QStringLiteral("IMEI"), QStringLiteral("IMSI"), QStringLiteral("Network"),
                                       QStringLiteral("Signal")});
    modems->setEditTriggers(QAbstractItemView::NoEditTriggers);
    modems->verticalHeader()->hide();
    modems->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    modems->hide();
    m_modemInfo.modems = modems;
    grid->addWidget(modems, row, 0, 1, 2);
    ++row;

    m_cmdRefresh = namedButton(frame, "cmdRefresh", QStringLiteral("Refresh"), QStringLiteral("Refresh"));
    grid->addWidget(m_cmdRefresh, row, 0, 1, 2, Qt::AlignLeft);
    return frame;
}

QWidget *ToolsTab::buildLogFrame(bool modem, LogFrameControls &controls)
{
    auto *frame = new QGroupBox(modem ? QStringLiteral("Modem Log") : QStringLiteral("Message Log"), this);
    frame->setObjectName(modem ? QStringLiteral("frameModemLog") : QStringLiteral("frameMessageLog"));
    auto *layout = new QVBoxLayout(frame);

    const QString captions[3] = {
        modem ? QStringLiteral("Disable modem log") : QStringLiteral("Disable message log"),
        modem ? QStringLiteral("Only error log") : QStringLiteral("Log failed messages only"),
        modem ? QStringLiteral("Error && status log") : QStringLiteral("Log all messages"),
    };
    const QString prefix = modem ? QStringLiteral("optSys") : QStringLiteral("optMsg");
    for (int level = 0; level < 3; ++level) {
        // One frame's options exclude each other because they share the frame as parent.
        auto *option = new QRadioButton(captions[level], frame);
        option->setObjectName(prefix + QString::number(level));
        option->setAccessibleName(QString(captions[level]).replace(QStringLiteral("&&"), QStringLiteral("&")));
        layout->addWidget(option);
        controls.options[level] = option;
    }

    const QString what = modem ? QStringLiteral("modem log") : QStringLiteral("message log");
    auto *buttons = new QHBoxLayout;
    controls.apply = namedButton(frame, modem ? "cmdApplySys" : "cmdApplyMsg", QStringLiteral("Apply"),
                                QStringLiteral("Apply ") + what + QStringLiteral(" level"));
    controls.view = namedButton(frame, modem ? "cmdViewSys" : "cmdViewMsg", QStringLiteral("View"),
                               QStringLiteral("View ") + what);
    controls.clear = namedButton(frame, modem ? "cmdClearSys" : "cmdClearMsg", QStringLiteral("Clear"),
                                QStringLiteral("Clear ") + what);
    for (QAbstractButton *button : {controls.apply, controls.view, controls.clear})
        buttons->addWidget(button);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    return frame;
}

void ToolsTab::startUp()
{
    m_lblLogNote->setText(QStringLiteral("Note: Enabling log reduces the performance of Quillo"));
}

QString ToolsTab::shownSysLogLevel() const
{
    return m_logControls->shownSysLogLevel();
}

QString ToolsTab::shownMsgLogLevel() const
{
    return m_logControls->shownMsgLogLevel();
}

void ToolsTab::cmdApplySys_Click()
{
    m_logControls->cmdApplySys_Click();
}

void ToolsTab::cmdApplyMsg_Click()
{
    m_logControls->cmdApplyMsg_Click();
}
