#include "logcontrols.h"

#include "componentstart.h"
#include "messagelog.h"

#include "common/datafolder.h"
#include "common/errortrap.h"
#include "common/paths.h"
#include "settings/settingsstore.h"

#include <QAbstractButton>
#include <QAction>

LogControls::LogControls(AppContext &context, MainFrame &frame, LogFrameControls modem, LogFrameControls message,
                         QObject *parent)
    : QObject(parent), m_context(context), m_frame(frame), m_modem(modem), m_message(message)
{
}

void LogControls::connectControls()
{
    for (Log log : {Log::Modem, Log::Message}) {
        const LogMenuActions &entries = menu(log);
        const LogFrameControls &buttons = controls(log);
        const bool modem = log == Log::Modem;
        connect(buttons.apply, &QAbstractButton::clicked, this,
                [this, modem] { modem ? cmdApplySys_Click() : cmdApplyMsg_Click(); });
        connect(buttons.view, &QAbstractButton::clicked, this,
                [this, modem] { modem ? cmdViewSys_Click() : cmdViewMsg_Click(); });
        connect(buttons.clear, &QAbstractButton::clicked, this,
                [this, modem] { modem ? cmdClearSys_Click() : cmdClearMsg_Click(); });
        connect(entries.clear, &QAction::triggered, this,
                [this, modem] { modem ? cmdClearSys_Click() : cmdClearMsg_Click(); });
        connect(entries.view, &QAction::triggered, this,
                [this, modem] { modem ? cmdViewSys_Click() : cmdViewMsg_Click(); });
        for (int level = 0; level < 3; ++level) {
            QAction *entry = entries.type[level];
            // The check moves only through Apply, so a click must not toggle it by itself.
            entry->setCheckable(true);
            connect(entry, &QAction::triggered, this, [this, log, level] { selectLevelFromMenu(log, level); });
        }
    }
}

QString LogControls::shownLevel(Log log) const
{
    const LogFrameControls &frame = controls(log);
    if (frame.options[2]->isChecked())
        return QStringLiteral("2");
    if (frame.options[1]->isChecked())
        return QStringLiteral("1");
    return QStringLiteral("0");
}

QString LogControls::shownSysLogLevel() const
{
    return shownLevel(Log::Modem);
}

QString LogControls::shownMsgLogLevel() const
{
    return shownLevel(Log::Message);
}

void LogControls::applyLevel(Log log)
{
    const QString level = shownLevel(log);
    try {
        SettingsStore(m_context.dataFolder)
            .saveLogLevel(log == Log::Modem ? SettingsStore::LogLevel::Modem : SettingsStore::LogLevel::Message, level);
    } catch (...) {
        // Storing a level never bothers the operator; the old state stays as it was.
        noteIgnoredError("storing a log level");
        return;
    }
    (log == Log::Modem ? m_context.state.Details.SysLog : m_context.state.Details.MsgLog) = level;
    for (int i = 0; i < 3; ++i)
        menu(log).type[i]->setChecked(QString::number(i) == level);
}

void LogControls::cmdApplySys_Click()
{
    errorTrap(m_context, QStringLiteral("cmdApplySys_Click"), [&] { applyLevel(Log::Modem); });
}

void LogControls::cmdApplyMsg_Click()
{
    errorTrap(m_context, QStringLiteral("cmdApplyMsg_Click"), [&] { applyLevel(Log::Message); });
}

void LogControls::selectLevelFromMenu(Log log, int level)
{
    const QString handler = QLatin1String(log == Log::Modem ? "mnuSysLogType_Click" : "mnuMsgLogType_Click");
    errorTrap(m_context, handler, [&] { selectLevel(log, level); });
}

void LogControls::selectLevel(Log log, int level)
{
    // Option buttons of one frame exclude each other, so checking one clears the other two.
    controls(log).options[level]->setChecked(true);
    applyLevel(log);
    // Triggering a checkable entry toggled it; the checks follow the stored level, which
    // stays the old one when storing failed.
    const QString stored = log == Log::Modem ? m_context.state.Details.SysLog : m_context.state.Details.MsgLog;
    for (int i = 0; i < 3; ++i)
        menu(log).type[i]->setChecked(QString::number(i) == stored);
}

void LogControls::showLevels(int sysLevel, int msgLevel)
{
    m_modem.options[sysLevel]->setChecked(true);
    m_message.options[msgLevel]->setChecked(true);
    for (int level = 0; level <= 2; ++level) {
        menu(Log::Modem).type[level]->setChecked(level == sysLevel);
        menu(Log::Message).type[level]->setChecked(level == msgLevel);
    }
}

QString LogControls::viewFolder() const
{
    const QString dataFolder = AddBackslash(m_context.dataFolder);
    return PreferredFolder(logsFolder(dataFolder), dataFolder);
}

void LogControls::viewLog(Log log)
{
    const bool modem = log == Log::Modem;
    const QString file = viewFolder() + (modem ? QStringLiteral("Kestrel.log") : QStringLiteral("message.log"));
    if (!m_context.shell.open(file))
        m_context.dialogs.message(modem ? QStringLiteral("Unable to open system log file")
                                        : QStringLiteral("Unable to open message log file"));
}

void LogControls::cmdViewSys_Click()
{
    errorTrap(m_context, QStringLiteral("cmdViewSys_Click"), [&] { viewLog(Log::Modem); });
}

void LogControls::cmdViewMsg_Click()
{
    errorTrap(m_context, QStringLiteral("cmdViewMsg_Click"), [&] { viewLog(Log::Message); });
}

void LogControls::cmdClearMsg_Click()
{
    errorTrap(m_context, QStringLiteral("cmdClearMsg_Click"), [&] {
        if (!m_context.dialogs.ask(QStringLiteral("Clear Message Log?")))
            return;
        MessageLog(m_context.dataFolder).Clear(0);
    });
}

void LogControls::cmdClearSys_Click()
{
    errorTrap(m_context, QStringLiteral("cmdClearSys_Click"), [&] {
        if (!m_context.dialogs.ask(QStringLiteral("Clear Modem Log?")))
            return;
        std::unique_ptr<SmsComponent> component = startSmsComponent(m_context);
        if (!component)
            return;
        // A log that cannot be cleared is no reason to bother the operator.
        try {
            component->setLogPath(viewFolder());
            component->ClearLog(false);
        } catch (...) {
            noteIgnoredError("clearing the modem log");
        }
        component.reset();
    });
}

void LogControls::setLogControlsEnabled(bool enabled)
{
    for (const LogFrameControls *frame : {&m_modem, &m_message}) {
        for (QAbstractButton *option : frame->options)
            option->setEnabled(enabled);
        for (QAbstractButton *button : {frame->view, frame->clear, frame->apply})
            button->setEnabled(enabled);
    }
}

void LogControls::DisableLogControls()
{
    setLogControlsEnabled(false);
}

void LogControls::EnableLogControls()
{
    setLogControlsEnabled(true);
}
