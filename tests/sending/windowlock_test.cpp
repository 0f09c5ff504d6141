#include "messagingframe.h"
#include "sending/windowlock.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class WindowLockTest : public testing::Test
{
protected:
    bool enabled(const char *name) { return frame.get<QWidget>(name)->isEnabled(); }
    bool menuEnabled(const char *name) { return frame.get<QAction>(name)->isEnabled(); }
    QColor background(const char *name) { return frame.get<QWidget>(name)->palette().color(QPalette::Base); }

    TestContext tc;
    MessagingFrame frame{tc};
    QCheckBox *chkAlert = frame.get<QCheckBox>("chkAlert");
    QCheckBox *chkWapPush = frame.get<QCheckBox>("chkWapPush");
};

TEST_F(WindowLockTest, DisableLocksEverythingButStopHelpAndProgress)
{
    DisableControls(frame, frame.composer(), frame.recipients());
    for (const char *menu : {"mnuMessage", "mnuPhone", "mnuLog"})
        EXPECT_FALSE(menuEnabled(menu)) << menu;
    EXPECT_TRUE(menuEnabled("mnuHelp"));
    EXPECT_TRUE(enabled("cmdStopSending"));
    EXPECT_FALSE(enabled("cmdStartSending"));
    EXPECT_TRUE(frame.progressBar()->isEnabled());
    for (const char *name : {"lblMessage", "txtMsgEn", "txtMsg", "txtMno", "lstMno", "cmdRemove", "cmdRemoveAll",
                             "cmdSelectFile", "cmdSave", "cmdAddMno", "cmdImport", "cmdFont", "cmdSaveMsg", "txtURL",
                             "cboLang", "chkAlert", "chkWapPush"})
        EXPECT_FALSE(enabled(name)) << name;
    const QColor buttonFace = QApplication::palette().color(QPalette::Button);
    for (const char *name : {"txtMsgEn", "txtMsg", "txtMno", "lstMno", "txtURL", "cboLang"})
        EXPECT_EQ(background(name), buttonFace) << name;
}

// Unlocking puts back what the alphabet and the Alert / WAP Push choice allow, not simply
// everything.
TEST_F(WindowLockTest, EnableReappliesTheOptionAndAlphabetRules)
{
    const struct
    {
        const char *name;
        int alphabet;
        bool alert, wapPush;
        bool fontEnabled, urlEnabled, wapPushEnabled, alertEnabled;
    } cases[] = {
        {"GSM plain", 0, false, false, false, false, true, true},
        {"GSM WAP Push", 0, false, true, false, true, true, false},
        {"GSM Alert", 0, true, false, false, false, false, true},
        {"Unicode WAP Push", 1, false, true, true, true, true, false},
        {"Unicode Alert", 1, true, false, true, false, false, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        frame.composer().selectAlphabet(c.alphabet);
        chkAlert->setChecked(c.alert);
        chkWapPush->setChecked(c.wapPush);
        frame.composer().applyOptionRules();

        DisableControls(frame, frame.composer(), frame.recipients());
        EnableControls(frame, frame.composer(), frame.recipients());

        EXPECT_EQ(enabled("cmdFont"), c.fontEnabled);
        EXPECT_EQ(menuEnabled("mnuMsgFont"), c.fontEnabled);
        EXPECT_EQ(enabled("txtURL"), c.urlEnabled);
        EXPECT_EQ(background("txtURL"), c.urlEnabled ? QColor(Qt::white) : QApplication::palette().color(QPalette::Button));
        EXPECT_EQ(enabled("chkWapPush"), c.wapPushEnabled);
        EXPECT_EQ(enabled("chkAlert"), c.alertEnabled);
        EXPECT_EQ(chkWapPush->isChecked(), c.wapPush);
        for (const char *name : {"txtMsgEn", "txtMsg", "txtMno", "lstMno", "cboLang", "cmdAddMno", "cmdSaveMsg",
                                 "cmdStartSending", "lblMessage"})
            EXPECT_TRUE(enabled(name)) << name;
        EXPECT_EQ(background("lstMno"), QColor(Qt::white));
        EXPECT_FALSE(enabled("cmdStopSending"));
        EXPECT_FALSE(frame.progressBar()->isEnabled());
        for (const char *menu : {"mnuMessage", "mnuPhone", "mnuLog"})
            EXPECT_TRUE(menuEnabled(menu)) << menu;
    }
}

TEST_F(WindowLockTest, MoveProgressStepsOneUnitWithAPauseEachWithinTheRange)
{
    QProgressBar *bar = frame.progressBar();
    bar->setRange(0, 100);
    bar->setValue(10);
    MoveProgressTo(frame, tc.clock, 14);
    MoveProgressTo(frame, tc.clock, 14);
    MoveProgressTo(frame, tc.clock, 11);
    EXPECT_EQ(bar->value(), 11);
    EXPECT_EQ(tc.clock.sleptMs, 7 * 5) << "4 up, none, 3 down";

    // A change made while events run is taken into account.
    bar->setValue(0);
    tc.clock.sleptMs = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (bar->value() == 3)
            bar->setValue(40);
    });
    timer.start(0);
    MoveProgressTo(frame, tc.clock, 42);
    timer.stop();
    EXPECT_EQ(bar->value(), 42);
    EXPECT_LT(tc.clock.sleptMs, 15 * 5) << "the jump to 40 was taken into account";

    bar->setRange(0, 10);
    bar->reset(); // reads minimum - 1
    MoveProgressTo(frame, tc.clock, 25);
    EXPECT_EQ(bar->value(), 10);
    MoveProgressTo(frame, tc.clock, -5);
    EXPECT_EQ(bar->value(), 0);
}

} // namespace
