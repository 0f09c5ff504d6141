#pragma once

#include "common/appcontext.h"
#include "common/mainframe.h"
#include "recipientlist.h"

#include <QGroupBox>
#include <QLabel>
#include <QPointer>

class QLineEdit;
class QListView;
class QPushButton;

// The frame "Send Message To": the typed entry txtMno with cmdAddMno, the list lstMno (a
// QListView over the RecipientList), and cmdRemove, cmdRemoveAll, cmdSelectFile, cmdSave;
// it also answers the Phone menu (mnuImportTxt/Exl/Acc, mnuSaveList, mnuClearList).
//
// The import dialog is not part of this frame: cmdSelectFile and the Phone > Import List
// entries emit importRequested() after setting ImportSourceType; the import dialog connects
// to it and fills list() through the RecipientList operations.
class RecipientPanel : public QGroupBox
{
    Q_OBJECT
public:
    RecipientPanel(AppContext &context, MainFrame &frame, QWidget *parent = nullptr);

    RecipientList &list() { return *m_list; }
    QListView *listView() const { return m_lstMno; }

    // The controls a sending run locks (windowlock.h).
    struct RunLockedControls
    {
        QWidget *entry, *list, *add, *remove, *removeAll, *selectFile, *save;
    };
    RunLockedControls runLockedControls() const;

    // The handlers, public so that menus, tests and other parts perform them as the
    // operator would.
    void cmdAddMno_Click();
    void cmdRemove_Click();
    void lstMno_KeyUp(int key);
    void cmdRemoveAll_Click();
    void cmdSave_Click();
    void cmdSelectFile_Click();
    void mnuImport_Click(const QString &sourceType);

    // The Delete-key removal lets events run after its first removal and then whenever this
    // much time has passed (a view relays out the whole list each time events run).
    void setYieldIntervalMs(int ms) { m_yieldIntervalMs = ms; }

    static QString listSizeText(int count) { return QStringLiteral("List Size: %1").arg(count); }

signals:
    // The operator asked for the import dialog; AppState::ImportSourceType names the source
    // to preselect.
    void importRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void connectMenus();
    void showListSize();
    void selectAfterRemoval(int position);

    // Panel 1 of the status bar. Held apart from the frame because focus leaves the boxes
    // while the main window is being destroyed, when the frame can no longer be asked.
    void setStatus(const QString &text);

    AppContext &m_context;
    MainFrame &m_frame;
    QPointer<QLabel> m_status;
    RecipientList *m_list = nullptr;
    QLineEdit *m_txtMno = nullptr;
    QListView *m_lstMno = nullptr;
    QPushButton *m_cmdAddMno = nullptr;
    QPushButton *m_cmdRemove = nullptr;
    QPushButton *m_cmdRemoveAll = nullptr;
    QPushButton *m_cmdSelectFile = nullptr;
    QPushButton *m_cmdSave = nullptr;
    // True while the Delete-key removal lets events run; a second Delete meanwhile is ignored
    // (the first one removes what was selected when it started).
    bool m_removing = false;
    int m_yieldIntervalMs = 10;
};
