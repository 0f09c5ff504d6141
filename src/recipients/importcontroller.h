#pragma once

#include "common/appcontext.h"
#include "common/mainframe.h"
#include "importconnections.h"
#include "importlist.h"

#include <QObject>

class RecipientPanel;

// Opens the import dialog when the recipient frame asks for it (the Import button, the
// Phone > Import List entries), holds the database connections the imports share, and
// closes them when the application ends.
class ImportController : public QObject
{
    Q_OBJECT
public:
    ImportController(AppContext &context, MainFrame &frame, RecipientPanel &recipients, QObject *parent = nullptr);

    // The modal import dialog on the current ImportSourceType; returns when it has closed.
    void showImportDialog();

    ImportConnections &connections() { return m_connections; }

private:
    void focusRecipientList();

    AppContext &m_context;
    MainFrame &m_frame;
    RecipientPanel &m_recipients;
    ImportConnections m_connections;
};
