#include "importcontroller.h"

#include "common/errornumbers.h"
#include "importdialog.h"
#include "importfeedback.h"
#include "recipientlist.h"
#include "recipientpanel.h"

#include <QListView>

ImportController::ImportController(AppContext &context, MainFrame &frame, RecipientPanel &recipients,
                                   QObject *parent)
    : QObject(parent), m_context(context), m_frame(frame), m_recipients(recipients)
{
    setObjectName(QStringLiteral("importController"));
    connect(&m_recipients, &RecipientPanel::importRequested, this, &ImportController::showImportDialog);
    m_frame.addExitCleanup([this] { m_connections.closeAtExit(); });
}

void ImportController::showImportDialog()
{
    RecipientListImport target(m_recipients.list(), NumberNormaliser(m_context.state.Details.Country));
    bool imported = false;
    ImportDialog dialog(m_context, target, m_connections, [&imported] { imported = true; }, m_frame.window());
    dialog.Form_Load();
    dialog.exec();
    // The focus goes to the list once the dialog is gone and the main window is active again.
    if (imported)
        focusRecipientList();
}

void ImportController::focusRecipientList()
{
    m_frame.window()->activateWindow();
    m_recipients.listView()->setFocus(Qt::OtherFocusReason);
}
