#include "settingstab.h"

#include "common/namedwidget.h"
#include "common/errortrap.h"
#include "modemlistdialog.h"
#include "gateway/gatewaydialog.h"
#include "portlist.h"
#include "recipients/numbernormaliser.h"
#include "replies/replysettingsdialog.h"
#include "settingsrules.h"
#include "settingsstore.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QComboBox *pickList(QWidget *parent, const char *objectName, const QString &accessibleName)
{
    auto *list = named(new QComboBox(parent), objectName, accessibleName);
    list->setEditable(false);
    list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return list;
}

QLabel *buddyLabel(const QString &caption, QWidget *buddy, QWidget *parent)
{
    auto *label = new QLabel(caption, parent);
    label->setBuddy(buddy);
    return label;
}

// Selects the first entry equal to the stored value; with no equal entry the selection
// stays as it was.
void selectStored(QComboBox *list, const QString &stored, Qt::CaseSensitivity sensitivity)
{
    for (int i = 0; i < list->count(); ++i) {
        if (list->itemText(i).compare(stored, sensitivity) == 0) {
            list->setCurrentIndex(i);
            return;
        }
    }
}

void fill(QComboBox *list, const QStringList &entries)
{
    list->clear();
    list->addItems(entries);
    // Adding items selects the first; the lists start with nothing selected.
    list->setCurrentIndex(-1);
}

// A locked box is disabled on the button-face colour, an unlocked one is white.
void setLocked(QLineEdit *box, bool locked)
{
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, locked ? palette.color(QPalette::Button) : QColor(Qt::white));
    box->setPalette(palette);
    box->setEnabled(!locked);
}

} // namespace

SettingsTab::SettingsTab(AppContext &context, MainFrame &frame, QWidget *parent)
    : QWidget(parent), m_context(context), m_frame(frame)
{
    setObjectName(QStringLiteral("tabSettings"));
    buildLayout();

    // The rule runs on every change of the box, the user's clicks and the loader's alike.
    connect(m_chkSMSC, &QCheckBox::toggled, this, [this] { chkSMSC_Click(); });
    connect(m_cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(m_cmdDefault, &QPushButton::clicked, this, [this] { cmdDefault_Click(); });
    connect(m_cmdMoreModems, &QPushButton::clicked, this, [this] { cmdMoreModems_Click(); });
    connect(m_cmdGateway, &QPushButton::clicked, this, [this] { cmdGateway_Click(); });
    connect(m_cmdReplies, &QPushButton::clicked, this, [this] { cmdReplies_Click(); });
    m_txtPIN->installEventFilter(this);
}

void SettingsTab::buildLayout()
{
    auto *message = new QGroupBox(QStringLiteral("Message Settings"), this);
    message->setObjectName(QStringLiteral("fraMessageSettings"));
    m_txtSMSC = named(new QLineEdit(message), "txtSMSC", QStringLiteral("Service Centre"));
    m_lblSMSC = named(buddyLabel(QStringLiteral("Service Centre:"), m_txtSMSC, message), "lblSMSC",
                      QStringLiteral("Service Centre"));
    m_chkSMSC = named(new QCheckBox(QStringLiteral("Use Internal Service Centre"), message), "chkSMSC",
                      QStringLiteral("Use Internal Service Centre"));
    m_txtPIN = named(new QLineEdit(message), "txtPIN", QStringLiteral("PIN"));
    m_txtPIN->setEchoMode(QLineEdit::Password);
    // Every typed character shows as "*", whatever the style's own mask character.
    m_txtPIN->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    m_cboValidity = pickList(message, "cboValidity", QStringLiteral("Validity"));
    m_txtSendDelay = named(new QLineEdit(message), "txtSendDelay", QStringLiteral("Send Delay in seconds"));
    m_txtSendRetry = named(new QLineEdit(message), "txtSendRetry", QStringLiteral("Send Retry"));
    m_cboLongMsg = pickList(message, "cboLongMsg", QStringLiteral("Long Message"));
    m_cboCountry = pickList(message, "cboCountry", QStringLiteral("Country for local numbers"));
    m_chkDeliveryReports = named(new QCheckBox(QStringLiteral("Ask for delivery reports"), message),
                                 "chkDeliveryReports", QStringLiteral("Ask for delivery reports"));

    auto *delayRow = new QHBoxLayout;
    delayRow->addWidget(m_txtSendDelay);
    delayRow->addWidget(new QLabel(QStringLiteral("Seconds"), message));
    delayRow->addStretch(1);
    // Short numbers: boxes as wide as a few digits keep the frame readable.
    const int numberWidth = m_txtSendDelay->fontMetrics().horizontalAdvance(QStringLiteral("00000000")) + 12;
    m_txtSendDelay->setMaximumWidth(numberWidth);
    m_txtSendRetry->setMaximumWidth(numberWidth);

    auto *messageForm = new QFormLayout(message);
    messageForm->addRow(m_lblSMSC, m_txtSMSC);
    messageForm->addRow(QString(), m_chkSMSC);
    messageForm->addRow(buddyLabel(QStringLiteral("PIN:"), m_txtPIN, message), m_txtPIN);
    messageForm->addRow(buddyLabel(QStringLiteral("Validity:"), m_cboValidity, message), m_cboValidity);
    messageForm->addRow(buddyLabel(QStringLiteral("Send Delay:"), m_txtSendDelay, message), delayRow);
    messageForm->addRow(buddyLabel(QStringLiteral("Send Retry:"), m_txtSendRetry, message), m_txtSendRetry);
    messageForm->addRow(buddyLabel(QStringLiteral("Long Message:"), m_cboLongMsg, message), m_cboLongMsg);
    messageForm->addRow(buddyLabel(QStringLiteral("Country for local numbers:"), m_cboCountry, message), m_cboCountry);
    messageForm->addRow(QString(), m_chkDeliveryReports);

    auto *port = new QGroupBox(QStringLiteral("COM Port Settings"), this);
    port->setObjectName(QStringLiteral("fraComPortSettings"));
    m_cboPort = pickList(port, "cboPort", QStringLiteral("COM Port"));
    m_cboBaudRate = pickList(port, "cboBaudRate", QStringLiteral("Baud Rate"));
    m_cboDataBits = pickList(port, "cboDataBits", QStringLiteral("Data Bits"));
    m_cboParity = pickList(port, "cboParity", QStringLiteral("Parity"));
    m_cboStopBits = pickList(port, "cboStopBits", QStringLiteral("Stop Bits"));
    m_cmdDefault = named(new QPushButton(QStringLiteral("Restore Defaults"), port), "cmdDefault",
                         QStringLiteral("Restore Defaults"));

    auto *portForm = new QFormLayout;
    portForm->addRow(buddyLabel(QStringLiteral("COM Port:"), m_cboPort, port), m_cboPort);
    portForm->addRow(buddyLabel(QStringLiteral("Baud Rate:"), m_cboBaudRate, port), m_cboBaudRate);
    portForm->addRow(buddyLabel(QStringLiteral("Data Bits:"), m_cboDataBits, port), m_cboDataBits);
    portForm->addRow(buddyLabel(QStringLiteral("Parity:"), m_cboParity, port), m_cboParity);
    portForm->addRow(buddyLabel(QStringLiteral("Stop Bits:"), m_cboStopBits, port), m_cboStopBits);
    // Further modems stay out of sight behind one button until someone wants them.
    m_cmdMoreModems = namedButton(port, "cmdMoreModems", QStringLiteral("More Modems..."), QStringLiteral("More Modems"));
    // So do a gateway and the replies settings.
    m_cmdGateway = namedButton(port, "cmdGateway", QStringLiteral("Gateway..."), QStringLiteral("Gateway"));
    m_cmdReplies = namedButton(port, "cmdReplies", QStringLiteral("Replies..."), QStringLiteral("Replies"));
    auto *portButtons = new QHBoxLayout;
    portButtons->addWidget(m_cmdMoreModems);
    portButtons->addWidget(m_cmdGateway);
    portButtons->addWidget(m_cmdReplies);
    portButtons->addStretch(1);
    portButtons->addWidget(m_cmdDefault);
    auto *portColumn = new QVBoxLayout(port);
    portColumn->addLayout(portForm);
    portColumn->addStretch(1);
    portColumn->addLayout(portButtons);

    m_cmdOK = named(new QPushButton(QStringLiteral("Save Settings"), this), "cmdOK", QStringLiteral("Save Settings"));

    auto *frames = new QHBoxLayout;
    frames->addWidget(message, 3);
    frames->addWidget(port, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdOK);
    auto *page = new QVBoxLayout(this);
    page->addLayout(frames);
    page->addLayout(buttons);
    page->addStretch(1);
}

void SettingsTab::fillChoiceLists()
{
    fill(m_cboPort, portListEntries());
    fill(m_cboBaudRate, SettingsRules::baudRateChoices());
    fill(m_cboDataBits, SettingsRules::dataBitsChoices());
    fill(m_cboParity, SettingsRules::parityChoices());
    fill(m_cboStopBits, SettingsRules::stopBitsChoices());
    fill(m_cboValidity, SettingsRules::validityChoices());
    fill(m_cboLongMsg, SettingsRules::longMessageChoices());
    m_cboCountry->clear();
    m_cboCountry->addItem(QStringLiteral("(none)"), QString());
    for (const NumberCountry &country : numberCountries())
        m_cboCountry->addItem(numberCountryCaption(country.code), country.code);
    m_cboCountry->setCurrentIndex(-1);
}

void SettingsTab::LoadComDetails()
{
    // The loader's own trap shows its text without an icon.
    auto report = [this](qint32 number, const QString &description) {
        m_context.dialogs.message(trappedErrorText(number, description, QStringLiteral("LoadComDetails")));
    };
    try {
        loadStoredValues();
    } catch (...) {
        const QuilloError error = currentError();
        report(error.number(), error.description());
    }
}

void SettingsTab::loadStoredValues()
{
    ComDetails &details = m_context.state.Details;
    const SettingsStore store(m_context.dataFolder);
    details = store.load();
    SettingsRules::applyLoadDefaults(details);
    m_context.state.MoreModems = store.loadMoreModems();
    for (ModemPort &modem : m_context.state.MoreModems)
        SettingsRules::applyLoadDefaults(modem);

    selectStoredPort(details.Port);
    selectStored(m_cboBaudRate, details.BaudRate, Qt::CaseSensitive);
    selectStored(m_cboDataBits, details.DataBits, Qt::CaseSensitive);
    selectStored(m_cboParity, details.Parity, Qt::CaseSensitive);
    selectStored(m_cboStopBits, details.StopBits, Qt::CaseSensitive);
    selectStored(m_cboValidity, details.Validity, Qt::CaseInsensitive);
    selectStored(m_cboLongMsg, details.LongMsg, Qt::CaseInsensitive);
    // A code the list does not hold (edited by hand) shows as none, which is how it acts.
    m_cboCountry->setCurrentIndex(std::max(0, m_cboCountry->findData(NumberNormaliser(details.Country).country())));
    m_chkDeliveryReports->setChecked(asksDeliveryReports(details));

    // The stored centre decides the box; the rule runs once more in case it did not change.
    m_chkSMSC->setChecked(details.SMSC.isEmpty());
    chkSMSC_Click();

    m_txtPIN->setText(details.PIN);
    m_txtSendDelay->setText(details.SendDelay);
    m_txtSendRetry->setText(details.SendRetry);
    showModemCount();
    showGatewayUse();

    // Each assignment happens only when its check passed, so an overflow in the modem
    // level leaves both levels as stored and the options as they were.
    details.SysLog = SettingsRules::normalisedLogLevel(details.SysLog);
    details.MsgLog = SettingsRules::normalisedLogLevel(details.MsgLog);
    showLogLevels();
}

void SettingsTab::selectStoredPort(const QString &port)
{
    for (int i = 0; i < m_cboPort->count(); ++i) {
        if (m_cboPort->itemText(i).compare(port, Qt::CaseInsensitive) == 0) {
            m_cboPort->setCurrentIndex(i);
            return;
        }
    }
    // A device the system does not enumerate (a pseudo-terminal, say) is offered when it
    // exists, before the simulator that ends the list.
    if (isExistingDevicePath(port)) {
        int at = m_cboPort->count();
        if (at > 0 && m_cboPort->itemText(at - 1) == kSimulatorPort)
            --at;
        m_cboPort->insertItem(at, port);
        m_cboPort->setCurrentIndex(at);
    }
}

void SettingsTab::showLogLevels()
{
    const ComDetails &details = m_context.state.Details;
    const int sysLevel = SettingsRules::logLevelIndex(details.SysLog);
    const int msgLevel = SettingsRules::logLevelIndex(details.MsgLog);
    if (m_showLogLevels)
        m_showLogLevels(sysLevel, msgLevel);
}

MessageOptions SettingsTab::messageOptions() const
{
    return {m_cboLongMsg->currentText(), m_chkSMSC->isChecked()};
}

void SettingsTab::chkSMSC_Click()
{
    const bool internal = m_chkSMSC->isChecked();
    m_txtSMSC->setText(internal ? QString() : m_context.state.Details.SMSC);
    setLocked(m_txtSMSC, internal);
    m_lblSMSC->setEnabled(!internal);
}

void SettingsTab::txtPIN_KeyPress(int &KeyAscii)
{
    SettingsRules::filterPinKey(KeyAscii);
}

bool SettingsTab::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_txtPIN || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    // Shortcuts (copy, paste, select all) and keys that type nothing are not characters
    // typed into the box. Ctrl with Alt is AltGr on Windows, which does type characters.
    const Qt::KeyboardModifiers modifiers = key->modifiers();
    if ((modifiers & (Qt::ControlModifier | Qt::MetaModifier)) && !(modifiers & Qt::AltModifier))
        return false;
    const QString text = key->text();
    if (text.isEmpty() || text.at(0).unicode() < 0x20 || text.at(0).unicode() == 0x7f)
        return false;
    int code = text.at(0).unicode();
    txtPIN_KeyPress(code);
    return code == 0;
}

bool SettingsTab::differsFromStored() const
{
    const ComDetails &stored = m_context.state.Details;
    return m_cboPort->currentText() != stored.Port || m_cboBaudRate->currentText() != stored.BaudRate
           || m_cboDataBits->currentText() != stored.DataBits || m_cboStopBits->currentText() != stored.StopBits
           || m_cboParity->currentText() != stored.Parity || m_txtSMSC->text() != stored.SMSC
           || m_txtSendDelay->text() != stored.SendDelay || m_txtSendRetry->text() != stored.SendRetry
           || m_txtPIN->text() != stored.PIN || m_cboValidity->currentText() != stored.Validity
           || m_cboCountry->currentData().toString() != NumberNormaliser(stored.Country).country()
           || m_chkDeliveryReports->isChecked() != asksDeliveryReports(stored);
}

bool SettingsTab::cmdOK_Click()
{
    bool saved = false;
    errorTrap(m_context, QStringLiteral("cmdOK_Click"), [&] { saveSettings(saved); });
    return saved;
}

void SettingsTab::saveSettings(bool &saved)
{
    Dialogs &dialogs = m_context.dialogs;
    const QString refusal =
        SettingsRules::saveRefusal(m_cboPort->currentIndex() >= 0, m_chkSMSC->isChecked(), m_txtSMSC->text());
    if (!refusal.isEmpty()) {
        dialogs.exclamation(refusal);
        return;
    }
    m_txtSendDelay->setText(SettingsRules::correctedSendDelay(m_txtSendDelay->text()));
    m_txtSendRetry->setText(SettingsRules::correctedSendRetry(m_txtSendRetry->text()));

    ComDetails edited;
    edited.Port = m_cboPort->currentText();
    edited.BaudRate = m_cboBaudRate->currentText();
    edited.DataBits = m_cboDataBits->currentText();
    edited.StopBits = m_cboStopBits->currentText();
    edited.Parity = m_cboParity->currentText();
    edited.PIN = m_txtPIN->text();
    edited.Validity = m_cboValidity->currentText();
    edited.SMSC = m_txtSMSC->text();
    edited.SendDelay = m_txtSendDelay->text();
    edited.SendRetry = m_txtSendRetry->text();
    edited.LongMsg = m_cboLongMsg->currentText();
    edited.Country = m_cboCountry->currentData().toString();
    // Written once the box was ever ticked: a settings file that never used it stays as it was.
    if (m_chkDeliveryReports->isChecked() || !m_context.state.Details.DeliveryReports.isEmpty())
        edited.DeliveryReports = m_chkDeliveryReports->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    // A failed write throws: the trap reports it, and nothing claims the settings were saved.
    SettingsStore(m_context.dataFolder).saveSettings(edited);

    LoadComDetails();
    dialogs.message(QStringLiteral("Settings Saved!"));
    saved = true;
}

void SettingsTab::showModemCount()
{
    const qsizetype more = m_context.state.MoreModems.size();
    m_cmdMoreModems->setText(more == 0 ? QStringLiteral("More Modems...") : QStringLiteral("More Modems (%1)...").arg(more));
}

void SettingsTab::cmdMoreModems_Click()
{
    errorTrap(m_context, QStringLiteral("cmdMoreModems_Click"), [&] {
        ModemPort first = modemPortOf(m_context.state.Details);
        first.Port = m_cboPort->currentText();
        first.BaudRate = m_cboBaudRate->currentText();
        first.DataBits = m_cboDataBits->currentText();
        first.Parity = m_cboParity->currentText();
        first.StopBits = m_cboStopBits->currentText();
        ModemListDialog dialog(first, m_context.state.MoreModems, this);
        if (dialog.exec() != QDialog::Accepted)
            return;
        SettingsStore store(m_context.dataFolder);
        store.saveMoreModems(dialog.modems());
        store.savePacing(dialog.firstPacing());
        m_context.state.MoreModems = dialog.modems();
        m_context.state.Details.Pacing = dialog.firstPacing();
        showModemCount();
    });
}

void SettingsTab::showGatewayUse()
{
    m_cmdGateway->setText(loadGatewaySettings(m_context.dataFolder).use ? QStringLiteral("Gateway (on)...")
                                                                         : QStringLiteral("Gateway..."));
}

void SettingsTab::cmdGateway_Click()
{
    errorTrap(m_context, QStringLiteral("cmdGateway_Click"), [&] {
        GatewayDialog dialog(loadGatewaySettings(m_context.dataFolder), this);
        if (dialog.exec() != QDialog::Accepted)
            return;
        saveGatewaySettings(m_context.dataFolder, dialog.settings());
        showGatewayUse();
    });
}

void SettingsTab::cmdReplies_Click()
{
    errorTrap(m_context, QStringLiteral("cmdReplies_Click"), [&] {
        SettingsStore store(m_context.dataFolder);
        ReplySettingsDialog dialog(store.loadReplies(), this);
        if (dialog.exec() == QDialog::Accepted)
            store.saveReplies(dialog.settings());
    });
}

void SettingsTab::cmdDefault_Click()
{
    errorTrap(m_context, QStringLiteral("cmdDefault_Click"), [&] {
        if (!m_context.dialogs.ask(QStringLiteral("Restore default settings?")))
            return;
        selectStored(m_cboBaudRate, SettingsRules::kDefaultBaudRate, Qt::CaseSensitive);
        selectStored(m_cboDataBits, SettingsRules::kDefaultDataBits, Qt::CaseSensitive);
        selectStored(m_cboParity, SettingsRules::kDefaultParity, Qt::CaseSensitive);
        selectStored(m_cboStopBits, SettingsRules::kDefaultStopBits, Qt::CaseSensitive);
    });
}
