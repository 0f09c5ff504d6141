#include "windowlock.h"

#include "messagecomposer.h"
#include "recipients/recipientpanel.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>

namespace {

constexpr int kProgressStepMs = 5;

void setMenusEnabled(MainFrame &frame, bool enabled)
{
    for (QAction *menu : frame.menus().lockedForRun())
        if (menu)
            menu->setEnabled(enabled);
}

} // namespace

void setBoxBackground(QWidget *box, bool locked)
{
    QPalette palette = box->palette();
    const QColor colour = locked ? QApplication::palette().color(QPalette::Active, QPalette::Button) : QColor(Qt::white);
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Base, colour);
    box->setPalette(palette);
}

void setBoxLocked(QWidget *box, bool locked)
{
    setBoxBackground(box, locked);
    box->setEnabled(!locked);
}

// The order of the steps matters: focus leaves a control as it is disabled and moves on to
// the next one that is still enabled.
void DisableControls(MainFrame &frame, MessageComposer &composer, RecipientPanel &recipients)
{
    const MessageComposer::RunLockedControls message = composer.runLockedControls();
    const RecipientPanel::RunLockedControls list = recipients.runLockedControls();
    setMenusEnabled(frame, false);
    composer.stopButton()->setEnabled(true);
    composer.startButton()->setEnabled(false);
    if (QProgressBar *bar = frame.progressBar())
        bar->setEnabled(true);
    message.label->setEnabled(false);
    for (QWidget *box : {message.gsmBox, message.unicodeBox, list.entry, list.list})
        setBoxLocked(box, true);
    for (QWidget *button : {list.remove, list.removeAll, list.selectFile, list.save, list.add, message.import,
                            message.font, message.saveMessage})
        button->setEnabled(false);
    setBoxLocked(message.url, true);
    setBoxLocked(message.language, true);
    message.alert->setEnabled(false);
    message.wapPush->setEnabled(false);
    QCoreApplication::processEvents();
}

void EnableControls(MainFrame &frame, MessageComposer &composer, RecipientPanel &recipients)
{
    const MessageComposer::RunLockedControls message = composer.runLockedControls();
    const RecipientPanel::RunLockedControls list = recipients.runLockedControls();
    setMenusEnabled(frame, true);
    composer.stopButton()->setEnabled(false);
    composer.startButton()->setEnabled(true);
    if (QProgressBar *bar = frame.progressBar())
        bar->setEnabled(false);
    message.label->setEnabled(true);
    for (QWidget *box : {message.gsmBox, message.unicodeBox, list.entry, list.list})
        setBoxLocked(box, false);
    for (QWidget *button : {message.import, message.saveMessage, list.remove, list.removeAll, list.selectFile,
                            list.save, list.add})
        button->setEnabled(true);
    setBoxLocked(message.language, false);
    message.alert->setEnabled(true);
    composer.applyOptionRules();
    QCoreApplication::processEvents();
}

void setTabsLocked(MainFrame &frame, bool locked)
{
    QTabWidget *tabs = frame.tabs();
    if (!tabs)
        return;
    for (int i = 1; i < tabs->count(); ++i)
        tabs->setTabEnabled(i, !locked);
}

void MoveProgressTo(MainFrame &frame, Clock &clock, qint32 target)
{
    QProgressBar *bar = frame.progressBar();
    if (!bar)
        return;
    // QProgressBar keeps its value inside its range (and reads minimum - 1 after reset()),
    // so a step that does not move the bar ends the walk instead of looping forever.
    const auto step = [&](int delta) {
        const int before = bar->value();
        bar->setValue(before + delta);
        if (bar->value() == before)
            return false;
        clock.sleep(kProgressStepMs);
        QCoreApplication::processEvents();
        return true;
    };
    if (bar->value() < target) {
        while (bar->value() < target && step(+1)) {
        }
    } else {
        while (bar->value() > target && step(-1)) {
        }
    }
}
