#include "windowlock.h"

#include "messagecomposer.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QProgressBar>
#include <QWidget>

namespace {

constexpr int kProgressStepMs = 5;

template <typename T>
T *find(MainFrame &frame, const char *name)
{
    return frame.window()->findChild<T *>(QLatin1String(name));
}

void setEnabled(MainFrame &frame, const char *name, bool enabled)
{
    if (auto *widget = find<QWidget>(frame, name))
        widget->setEnabled(enabled);
}

void setMenuEnabled(MainFrame &frame, const char *name, bool enabled)
{
    if (auto *action = find<QAction>(frame, name))
        action->setEnabled(enabled);
}

void setBoxLocked(MainFrame &frame, const char *name, bool locked)
{
    if (auto *widget = find<QWidget>(frame, name))
        setBoxLocked(widget, locked);
}

const char *const kMenus[] = {"mnuMessage", "mnuPhone", "mnuLog"};
const char *const kBoxes[] = {"txtMsgEn", "txtMsg", "txtMno", "lstMno"};

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

void DisableControls(MainFrame &frame)
{
    for (const char *menu : kMenus)
        setMenuEnabled(frame, menu, false);
    setEnabled(frame, "cmdStopSending", true);
    setEnabled(frame, "cmdStartSending", false);
    if (QProgressBar *bar = frame.progressBar())
        bar->setEnabled(true);
    setEnabled(frame, "lblMessage", false);
    for (const char *box : kBoxes)
        setBoxLocked(frame, box, true);
    for (const char *button : {"cmdRemove", "cmdRemoveAll", "cmdSelectFile", "cmdSave", "cmdAddMno", "cmdImport",
                               "cmdFont", "cmdSaveMsg"})
        setEnabled(frame, button, false);
    setBoxLocked(frame, "txtURL", true);
    setBoxLocked(frame, "cboLang", true);
    setEnabled(frame, "chkAlert", false);
    setEnabled(frame, "chkWapPush", false);
    QCoreApplication::processEvents();
}

void EnableControls(MainFrame &frame)
{
    for (const char *menu : kMenus)
        setMenuEnabled(frame, menu, true);
    setEnabled(frame, "cmdStopSending", false);
    setEnabled(frame, "cmdStartSending", true);
    if (QProgressBar *bar = frame.progressBar())
        bar->setEnabled(false);
    setEnabled(frame, "lblMessage", true);
    for (const char *box : kBoxes)
        setBoxLocked(frame, box, false);
    for (const char *button : {"cmdImport", "cmdSaveMsg", "cmdRemove", "cmdRemoveAll", "cmdSelectFile", "cmdSave",
                               "cmdAddMno"})
        setEnabled(frame, button, true);
    setBoxLocked(frame, "cboLang", false);
    setEnabled(frame, "chkAlert", true);
    if (auto *composer = frame.window()->findChild<MessageComposer *>())
        composer->applyOptionRules();
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
