#include "common/ansitext.h"
#include "fakes.h"
#include "findcontrol.h"
#include "settings/inihandling.h"
#include "app/mainwindow.h"
#include "settings/modemlistdialog.h"
#include "settings/settingstab.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <memory>
#include <stdlib.h>
#include <unistd.h>

namespace {

using Icon = Dialogs::Icon;

const QString kSaved = QStringLiteral("Settings Saved!");
const QString kSaveQuestion = QStringLiteral("Save Settings?");

// The main window over a temporary application folder, started as the program starts it.
class SettingsWindow : public testing::Test
{
protected:
    QString configPath() const { return tc.context.dataFolder + QStringLiteral("config.ini"); }
    void writeConfig(const QByteArray &bytes) { writeFileBytes(configPath(), bytes); }
    QByteArray config() const { return QFile::exists(configPath()) ? readFileBytes(configPath()) : QByteArray("<missing>"); }
    // Starts the window over the given config.ini (none for a null one), as the program does.
    void start(const QByteArray &config = QByteArray())
    {
        if (!config.isNull())
            writeConfig(config);
        window.reset();
        tc.state = AppState();
        window = std::make_unique<MainWindow>(tc.context, [] {});
        window->show();
        window->Form_Load();
    }

    template <typename T>
    T *get(const char *name) { return findControl<T>(*window, name); }
    QComboBox *list(const char *name) { return get<QComboBox>(name); }
    QLineEdit *box(const char *name) { return get<QLineEdit>(name); }
    QString shown(const char *name)
    {
        if (auto *combo = window->findChild<QComboBox *>(QLatin1String(name)))
            return combo->currentText();
        return box(name)->text();
    }
    void select(const char *name, const QString &entry)
    {
        const int index = list(name)->findText(entry, Qt::MatchExactly | Qt::MatchCaseSensitive);
        ASSERT_GE(index, 0) << entry.toStdString();
        list(name)->setCurrentIndex(index);
    }
    void click(const char *name) { get<QAbstractButton>(name)->click(); }
    bool checked(const char *name) { return get<QAbstractButton>(name)->isChecked(); }
    bool menuChecked(const QString &name) { return window->findChild<QAction *>(name)->isChecked(); }
    // Opens the Settings tab and leaves it for the Messaging tab.
    void visitSettings()
    {
        window->tabs()->setCurrentIndex(1);
        window->tabs()->setCurrentIndex(0);
    }
    void expectShown(std::initializer_list<std::pair<const char *, const char *>> expected)
    {
        for (const auto &[name, text] : expected)
            EXPECT_EQ(shown(name).toStdString(), text) << name;
    }

    TestContext tc;
    std::unique_ptr<MainWindow> window;
};

// Defaults without a config.ini; a save writes the fifteen lines, delay and retry corrected.
TEST_F(SettingsWindow, WithoutConfigLoadsDefaultsThenSavesTheFifteenLines)
{
    start();
    expectShown({{"cboPort", "COM1"}, {"cboBaudRate", "19200"}, {"cboDataBits", "8"}, {"cboStopBits", "1"},
                 {"cboParity", "None"}, {"cboValidity", "1 Week"}, {"cboLongMsg", "Concatenate"}, {"txtSendDelay", "1"},
                 {"txtSendRetry", "0"}, {"txtPIN", ""}, {"txtSMSC", ""}, {"cboCountry", "(none)"}});
    EXPECT_TRUE(checked("chkSMSC"));
    EXPECT_FALSE(box("txtSMSC")->isEnabled());
    EXPECT_EQ(tc.state.Details.SysLog, QStringLiteral("0"));
    EXPECT_TRUE(menuChecked(QStringLiteral("mnuSysLogType0")));
    EXPECT_TRUE(menuChecked(QStringLiteral("mnuMsgLogType0")));
    EXPECT_EQ(box("txtPIN")->echoMode(), QLineEdit::Password);
    QComboBox *port = list("cboPort");
    EXPECT_EQ(port->itemText(255), QStringLiteral("COM256"));
    EXPECT_EQ(port->itemText(port->count() - 1), QStringLiteral("SIMULATOR"));

    // Nothing differs, so nothing is asked; the long message choice is not compared.
    select("cboLongMsg", QStringLiteral("Truncate"));
    visitSettings();
    EXPECT_EQ(shown("cboLongMsg"), QStringLiteral("Truncate"));
    EXPECT_EQ(config(), QByteArray("<missing>"));

    // What the modem log's Apply stores for "Only error log".
    INIHandling(tc.context.dataFolder, QStringLiteral("config.ini"))
        .SetKey(QStringLiteral("LOG"), QStringLiteral("SysLog"), QStringLiteral("1"));
    select("cboPort", QStringLiteral("COM3"));
    box("txtSendDelay")->setText(QStringLiteral(" 0.25 "));
    box("txtSendRetry")->setText(QStringLiteral("2.6"));
    tc.dialogs.expectMessage(kSaved, Icon::None);
    click("cmdOK");
    expectShown({{"txtSendDelay", "0.2"}, {"txtSendRetry", "3"}});
    EXPECT_EQ(tc.state.Details.SendDelay, QStringLiteral("0.2"));
    EXPECT_EQ(config().toStdString(),
              "[LOG]\r\nSysLog=1\r\n"
              "[COMM]\r\nPort=COM3\r\nBaudRate=19200\r\nDataBits=8\r\nStopBits=1\r\nParity=None\r\n"
              "[SMS]\r\nPIN=\r\nValidity=1 Week\r\nSMSC=\r\nSendDelay=0.2\r\nSendRetry=3\r\nLongMsg=Truncate\r\n");
    EXPECT_TRUE(menuChecked(QStringLiteral("mnuSysLogType1"))); // the reload after saving
}

// The country and delivery reports are written only once used: a file that never had them
// keeps its bytes.
TEST_F(SettingsWindow, KeysAddedLaterAreStoredOnlyOnceUsed)
{
    const QByteArray stored = "[COMM]\r\nPort=COM3\r\nBaudRate=19200\r\nDataBits=8\r\nStopBits=1\r\nParity=None\r\n"
                              "[SMS]\r\nPIN=\r\nValidity=1 Week\r\nSMSC=\r\nSendDelay=1\r\nSendRetry=0\r\nLongMsg=Concatenate\r\n";
    start(stored);
    QComboBox *country = list("cboCountry");
    EXPECT_EQ(country->itemText(0), QStringLiteral("(none)"));
    // By name, not by code: Germany (DE) after France (FR), the UK (GB) after Uganda (UG).
    EXPECT_LT(country->findText(QStringLiteral("France (FR)")), country->findText(QStringLiteral("Germany (DE)")));
    EXPECT_LT(country->findText(QStringLiteral("Uganda (UG)")), country->findText(QStringLiteral("United Kingdom (GB)")));
    tc.dialogs.expectMessage(kSaved, Icon::None);
    click("cmdOK");
    EXPECT_EQ(config(), stored);

    // A changed country is a change worth asking about on leaving the tab.
    select("cboCountry", QStringLiteral("India (IN)"));
    tc.dialogs.expectQuestion(kSaveQuestion, true).expectMessage(kSaved, Icon::None);
    visitSettings();
    EXPECT_EQ(config(), stored + "[NUMBERS]\r\nCountry=IN\r\n");
    EXPECT_EQ(tc.state.Details.Country, QStringLiteral("IN"));

    // Back to none empties the key that now exists.
    select("cboCountry", QStringLiteral("(none)"));
    tc.dialogs.expectMessage(kSaved, Icon::None);
    click("cmdOK");
    EXPECT_EQ(config(), stored + "[NUMBERS]\r\nCountry=\r\n");

    // A code edited in by hand: any case is taken, an unknown one shows as none.
    start(stored + "[NUMBERS]\r\nCountry=us\r\n");
    EXPECT_EQ(shown("cboCountry"), QStringLiteral("United States (US)"));
    start(stored + "[NUMBERS]\r\nCountry=XX\r\n");
    EXPECT_EQ(shown("cboCountry"), QStringLiteral("(none)"));
    visitSettings();
    EXPECT_TRUE(tc.dialogs.allConsumed()) << "an unknown code is no change";

    start(stored);
    EXPECT_FALSE(checked("chkDeliveryReports"));
    const QByteArray withReports = QByteArray(stored).replace("Concatenate\r\n", "Concatenate\r\nDeliveryReports=1\r\n");
    for (const QByteArray &expected : {withReports, QByteArray(withReports).replace("Reports=1", "Reports=0")}) {
        click("chkDeliveryReports");
        tc.dialogs.expectMessage(kSaved, Icon::None);
        click("cmdOK");
        EXPECT_EQ(config(), expected);
        EXPECT_EQ(asksDeliveryReports(tc.state.Details), expected == withReports);
    }
}

// Port, validity and long message match without regard to case, the others exactly; a
// value no entry matches selects nothing but stays in ComDetails.
TEST_F(SettingsWindow, StoredValuesSelectEntriesByTheirRules)
{
    start("[COMM]\r\nPort=com3\r\nBaudRate= 9600 \r\nDataBits=08\r\nStopBits=1.5\r\nParity=none\r\n"
          "[SMS]\r\nValidity=2 day\r\nLongMsg=split (normal)\r\nSendDelay=abc\r\nSendRetry=7\r\nPIN=12x\r\n");
    expectShown({{"cboPort", "COM3"}, {"cboBaudRate", "9600"}, {"cboDataBits", ""}, {"cboStopBits", "1.5"},
                 {"cboParity", ""}, {"cboValidity", "2 Day"}, {"cboLongMsg", "Split (Normal)"}, {"txtSendDelay", "abc"},
                 {"txtSendRetry", "7"}, {"txtPIN", "12x"}});
    EXPECT_EQ(tc.state.Details.Port, QStringLiteral("com3"));
    EXPECT_EQ(tc.state.Details.Parity, QStringLiteral("none"));
    EXPECT_EQ(tc.state.Details.DataBits, QStringLiteral("08"));

    start("[COMM]\r\nPort=COM999\r\n[SMS]\r\nValidity=2 Month\r\n");
    expectShown({{"cboPort", ""}, {"cboValidity", ""}});
    EXPECT_EQ(tc.state.Details.Validity, QStringLiteral("2 Month"));
    tc.dialogs.expectMessage(QStringLiteral("Select COM Port !"), Icon::Exclamation);
    EXPECT_FALSE(window->settingsTab()->cmdOK_Click());
    EXPECT_EQ(config(), QByteArray("[COMM]\r\nPort=COM999\r\n[SMS]\r\nValidity=2 Month\r\n"));
}

// The box follows the internal choice; without it, a missing or local number is refused
// before anything is corrected or stored.
TEST_F(SettingsWindow, ServiceCentreFollowsTheInternalChoiceAndIsChecked)
{
    start("[SMS]\r\nSMSC=+919812345678\r\n");
    QCheckBox *internal = get<QCheckBox>("chkSMSC");
    EXPECT_FALSE(internal->isChecked());
    EXPECT_EQ(shown("txtSMSC"), QStringLiteral("+919812345678"));
    EXPECT_TRUE(box("txtSMSC")->isEnabled());

    internal->click();
    EXPECT_EQ(shown("txtSMSC"), QString());
    EXPECT_FALSE(box("txtSMSC")->isEnabled());

    box("txtSMSC")->setText(QStringLiteral("+4412"));
    internal->click(); // the stored number comes back, not what was typed
    EXPECT_EQ(shown("txtSMSC"), QStringLiteral("+919812345678"));

    const QString missing = QStringLiteral("Please enter Service Centre number!");
    const QString format =
        QStringLiteral("Please enter Service Centre number in international format (e.g. +919812345678)!");
    const std::pair<const char *, QString> cases[] = {
        {"", missing}, {"   ", missing}, {" +919812345678", format}, {"919812345678", format}};
    for (const auto &[typed, message] : cases) {
        box("txtSMSC")->setText(QLatin1String(typed));
        box("txtSendDelay")->setText(QStringLiteral("45"));
        tc.dialogs.expectMessage(message, Icon::Exclamation);
        EXPECT_FALSE(window->settingsTab()->cmdOK_Click()) << typed;
        EXPECT_EQ(shown("txtSendDelay"), QStringLiteral("45")) << "corrected although refused";
    }
    EXPECT_EQ(config(), QByteArray("[SMS]\r\nSMSC=+919812345678\r\n"));

    // Yes on leaving runs the same checks and keeps the refused edits.
    box("txtPIN")->setText(QStringLiteral("4321"));
    tc.dialogs.expectQuestion(kSaveQuestion, true).expectMessage(format, Icon::Exclamation);
    visitSettings();
    EXPECT_EQ(window->tabs()->currentIndex(), 0);
    EXPECT_FALSE(internal->isChecked());
    EXPECT_EQ(shown("txtPIN"), QStringLiteral("4321"));
    EXPECT_EQ(config(), QByteArray("[SMS]\r\nSMSC=+919812345678\r\n"));

    // Saving with the internal centre stores an empty SMSC, which checks the box again.
    internal->click();
    tc.dialogs.expectMessage(kSaved, Icon::None);
    click("cmdOK");
    EXPECT_TRUE(config().contains("SMSC=\r\n"));
    EXPECT_TRUE(internal->isChecked());
}

// A settings file that cannot be written must not be reported as saved.
TEST_F(SettingsWindow, SaveThatCannotWriteIsReportedAsAnError)
{
    start();
    ASSERT_TRUE(QDir(tc.context.dataFolder).mkdir(QStringLiteral("config.ini")));
    tc.dialogs.expectMessageStartingWith(QStringLiteral("Error "), Icon::Critical);
    EXPECT_FALSE(window->settingsTab()->cmdOK_Click());
    ASSERT_EQ(tc.dialogs.shown().size(), 1);
    EXPECT_TRUE(tc.dialogs.shown().last().endsWith(QStringLiteral("\r\n[Source: Quillo - cmdOK_Click]")));
    EXPECT_TRUE(tc.state.PendingErrorText.isEmpty());
}

TEST_F(SettingsWindow, RestoreDefaultsSetsTheFourPortValuesOnAYes)
{
    start("[COMM]\r\nPort=COM5\r\nBaudRate=9600\r\nDataBits=7\r\nStopBits=2\r\nParity=Even\r\n"
          "[SMS]\r\nPIN=1234\r\n");
    const QByteArray stored = config();
    tc.dialogs.expectQuestion(QStringLiteral("Restore default settings?"), false);
    click("cmdDefault");
    expectShown({{"cboBaudRate", "9600"}, {"cboDataBits", "7"}, {"cboStopBits", "2"}, {"cboParity", "Even"}});

    tc.dialogs.expectQuestion(QStringLiteral("Restore default settings?"), true);
    click("cmdDefault");
    expectShown({{"cboPort", "COM5"}, {"cboBaudRate", "19200"}, {"cboDataBits", "8"}, {"cboStopBits", "1"},
                 {"cboParity", "None"}, {"txtPIN", "1234"}});
    EXPECT_EQ(config(), stored);

    // Leaving the tab offers to save them; No puts the stored values back.
    tc.dialogs.expectQuestion(kSaveQuestion, false);
    visitSettings();
    expectShown({{"cboBaudRate", "9600"}, {"cboDataBits", "7"}, {"cboStopBits", "2"}, {"cboParity", "Even"}});
    EXPECT_EQ(config(), stored);
}

TEST_F(SettingsWindow, LeavingAfterOnlyLookingAsksWhenAStoredValueMatchedNoEntryExactly)
{
    start("[COMM]\r\nPort=com3\r\n");
    tc.dialogs.expectQuestion(kSaveQuestion, true).expectMessage(kSaved, Icon::None);
    visitSettings();
    EXPECT_TRUE(config().contains("[COMM]\r\nPort=COM3\r\n"));
    EXPECT_EQ(tc.state.Details.Port, QStringLiteral("COM3"));
    visitSettings(); // now stored as shown: nothing to ask
}

TEST_F(SettingsWindow, PinBoxTakesDigitsAndBackspaceOnly)
{
    start();
    window->tabs()->setCurrentIndex(1);
    QLineEdit *pin = box("txtPIN");
    QTest::keyClicks(pin, QStringLiteral("12a-3 b4"));
    EXPECT_EQ(pin->text(), QStringLiteral("1234"));
    QTest::keyClick(pin, Qt::Key_Backspace);
    EXPECT_EQ(pin->text(), QStringLiteral("123"));
    QTest::keyClick(pin, Qt::Key_A, Qt::ControlModifier); // select all still works
    QTest::keyClicks(pin, QStringLiteral("9"));
    QTest::keyClick(pin, '@', Qt::ControlModifier | Qt::AltModifier); // AltGr types characters too
    EXPECT_EQ(pin->text(), QStringLiteral("9"));
    pin->setText(QStringLiteral("x")); // not a typed key: left alone
    EXPECT_EQ(pin->text(), QStringLiteral("x"));
    tc.dialogs.expectQuestion(kSaveQuestion, false);
    window->tabs()->setCurrentIndex(0);
}

// Stored levels are normalised into the menus and options; No on leaving the Tools tab
// reloads every setting, dropping unsaved edits on the Settings tab too.
TEST_F(SettingsWindow, StoredLogLevelsAreShownAndNoOnLeavingToolsReloadsThem)
{
    start("[LOG]\r\nSysLog=1.6\r\nMsgLog=5\r\n");
    EXPECT_EQ(tc.state.Details.SysLog, QStringLiteral("1.6"));
    EXPECT_EQ(tc.state.Details.MsgLog, QStringLiteral("0"));
    EXPECT_TRUE(menuChecked(QStringLiteral("mnuSysLogType2")));
    EXPECT_TRUE(menuChecked(QStringLiteral("mnuMsgLogType0")));
    EXPECT_TRUE(checked("optSys2"));
    EXPECT_TRUE(checked("optMsg0"));

    select("cboBaudRate", QStringLiteral("9600"));
    window->tabs()->setCurrentIndex(2);
    click("optSys0");
    tc.dialogs.expectQuestion(QStringLiteral("Save Log Settings?"), false);
    window->tabs()->setCurrentIndex(0);
    EXPECT_TRUE(checked("optSys2"));
    EXPECT_EQ(shown("cboBaudRate"), QStringLiteral("19200"));
    EXPECT_EQ(config(), QByteArray("[LOG]\r\nSysLog=1.6\r\nMsgLog=5\r\n"));
}

TEST_F(SettingsWindow, LogLevelOverflowEndsTheLoadWithItsError)
{
    tc.dialogs.expectMessage(QStringLiteral("Error 6\r\nOverflow\r\n[Source: Quillo - LoadComDetails]"), Icon::None);
    start("[COMM]\r\nPort=COM9\r\n[LOG]\r\nSysLog=40000\r\nMsgLog=2\r\n");
    // Everything before the levels was loaded; the level checks were never reached.
    EXPECT_EQ(shown("cboPort"), QStringLiteral("COM9"));
    EXPECT_EQ(tc.state.Details.SysLog, QStringLiteral("40000"));
    for (int level = 0; level <= 2; ++level)
        EXPECT_FALSE(menuChecked(QStringLiteral("mnuMsgLogType%1").arg(level)));
    EXPECT_EQ(window->panel(1)->text(), QStringLiteral("Idle"));
}

TEST_F(SettingsWindow, StoredDevicePathIsOfferedAndKept)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const QString device = QString::fromLocal8Bit(::ptsname(master));
    start("[COMM]\r\nPort=" + device.toLocal8Bit() + "\r\n");
    QComboBox *port = list("cboPort");
    EXPECT_EQ(port->currentText(), device);
    EXPECT_EQ(port->itemText(port->count() - 1), QStringLiteral("SIMULATOR"));
    visitSettings(); // shown as stored: nothing asked
    tc.dialogs.expectMessage(kSaved, Icon::None);
    click("cmdOK");
    EXPECT_TRUE(config().contains("Port=" + device.toLocal8Bit() + "\r\n"));
    ::close(master);

    // A path that is no device is not offered.
    writeConfig("[COMM]\r\nPort=" + configPath().toLocal8Bit() + "\r\n");
    window->settingsTab()->LoadComDetails();
    EXPECT_EQ(port->findText(configPath()), -1);
}

// Files no program of ours wrote: the window opens with no box, defaults where unusable.
TEST_F(SettingsWindow, BadConfigFilesLoadWithoutAnyBox)
{
    const std::pair<QByteArray, const char *> files[] = {
        {QByteArray("\x00\xff\x13[COMM]\x00Port=COM4\r\n\x80\x81\x82", 24), "COM1"},
        {"[COMM]\r\nPort=" + QByteArray(5000, '4') + "\r\n", ""},
        {"[LOG]\r\nSysLog=\x01\x02\r\n[COMM]\nPort = COM2", "COM2"},
    };
    for (const auto &[bytes, port] : files) {
        start(bytes);
        EXPECT_EQ(shown("cboPort").toStdString(), port);
        EXPECT_EQ(tc.state.Details.SysLog, QStringLiteral("0"));
        EXPECT_EQ(shown("cboBaudRate"), QStringLiteral("19200"));
    }
    EXPECT_TRUE(tc.dialogs.shown().isEmpty());
}

TEST(ModemListDialog, KeepsEachRowsSettingsAndRefusesAnEmptyOrRepeatedPortOrBadPacing)
{
    const ModemPort first{QStringLiteral("COM1"), QStringLiteral("19200"), QStringLiteral("8"), QStringLiteral("1"),
                          QStringLiteral("None"), QString()};
    const ModemPort pty{QStringLiteral("/dev/pts/7"), QStringLiteral("115200"), QStringLiteral("7"),
                        QStringLiteral("2"), QStringLiteral("Even"), QStringLiteral("1234"),
                        {QStringLiteral("1"), QStringLiteral("4"), {}, QStringLiteral("500")}};
    ModemPort badCap = pty;
    badCap.Port = QStringLiteral("/dev/pts/8");
    badCap.Pacing.RecipientsPerDay = QStringLiteral("-5");
    ModemPort badFirst = first;
    badFirst.Pacing.MinPause = QStringLiteral("9");
    badFirst.Pacing.MaxPause = QStringLiteral("3");
    const struct { const char *name; ModemPort first; QList<ModemPort> rows; const char *refusal; } cases[] = {
        {"a device the system does not list, as typed", first, {pty}, ""},
        {"a cap below one", first, {pty, badCap},
         "Row 2 (/dev/pts/8): Recipients per day: '-5' is not a whole number from 1 to 1000000 (leave it empty for "
         "no cap)."},
        {"the first modem's pauses the wrong way round", badFirst, {pty},
         "COM1: Min pause (s) 9 is more than Max pause (s) 3."},
        {"the first modem's port again", first, {pty, first}, "Row 2: the port COM1 is already a modem of the run."},
        {"a port named twice", first, {pty, pty}, "Row 2: the port /dev/pts/7 is already a modem of the run."},
        {"no port", first, {ModemPort{}}, "Row 1: choose the modem's port."},
    };
    for (const auto &c : cases) {
        ModemListDialog dialog(c.first, c.rows);
        EXPECT_EQ(dialog.refusal(), QString::fromUtf8(c.refusal)) << c.name;
        EXPECT_EQ(dialog.firstPacing(), c.first.Pacing) << c.name;
        if (*c.refusal == 0)
            EXPECT_EQ(dialog.modems(), c.rows) << c.name;
        dialog.removeSelected();
        EXPECT_EQ(dialog.modems().size(), c.rows.size() - 1) << c.name;
    }
}

} // namespace
