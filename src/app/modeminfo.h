#pragma once

#include "common/appcontext.h"
#include "common/mainframe.h"
#include "common/modeminfoview.h"

#include <QObject>
#include <functional>
#include <memory>

class LogControls;
class MessageLog;

// The modem information check of the Tools tab (cmdRefresh): opens the modem with the
// stored port settings and PIN on a fresh component and shows manufacturer, model, IMEI,
// the SIM's IMSI, the network and the signal strength.
class ModemInfoRefresh : public QObject
{
    Q_OBJECT
public:
    // refresh is the cmdRefresh button, disabled while a refresh runs.
    ModemInfoRefresh(AppContext &context, MainFrame &frame, LogControls &logControls, ModemInfoView view,
                     QWidget &refresh, QObject *parent = nullptr);
    ~ModemInfoRefresh() override;

    void cmdRefresh_Click();
    // Called before the refresh opens the ports: whatever holds them lets go.
    void setBeforeOpeningPorts(std::function<void()> release) { m_beforeOpeningPorts = std::move(release); }

private:
    // Returns false when the connection failed (the quiet ending is due).
    bool connectAndRead();
    // With several modems: a row per modem, the first from the labels, each further one read
    // on a component of its own; a modem that fails says so in its row.
    void readMoreModems(bool firstRead);
    QStringList readModem(SmsComponent &modem, const ComDetails &details);
    void lockWindow();
    // What every ending shares: release, labels as given, bars reset, everything unlocked.
    void finish(bool failed);
    void setValueLabels(const QString &text, bool enabled);
    void status(const QString &text);
    void letEventsRun();
    void moveProgressTo(int target);

    AppContext &m_context;
    MainFrame &m_frame;
    LogControls &m_logControls;
    ModemInfoView m_view;
    QWidget &m_refreshButton;
    std::function<void()> m_beforeOpeningPorts;
    std::unique_ptr<SmsComponent> m_component;
    std::unique_ptr<MessageLog> m_log;
};
