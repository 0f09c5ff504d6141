// The import dialog's worksheet, column and value lists.
#include "importdialog.h"

#include "db/dbconnection.h"
#include "importconnections.h"
#include "importfeedback.h"
#include "common/busypointer.h"
#include "importlistings.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>

namespace {

ImportListAdder adderFor(QComboBox *box)
{
    return [box](const QString &entry) { box->addItem(entry); };
}

void closeSchema(std::unique_ptr<DbConnection> &schema)
{
    ImportConnections::closeQuietly(schema.get());
    schema.reset();
}

} // namespace

void ImportDialog::cmdExcel_Click()
{
    if (!pickFile(QStringLiteral("All spreadsheets (*.xls *.xlsx *.xlsm *.ods *.csv)|*.xls;*.xlsx;*.xlsm;*.ods;*.csv"
                                 "|Excel 97-2003 Workbooks (*.xls)|*.xls|Excel Workbooks (*.xlsx *.xlsm)|*.xlsx;*.xlsm"
                                 "|OpenDocument Spreadsheets (*.ods)|*.ods|Comma-separated Values (*.csv)|*.csv"),
                  QStringLiteral("xls"), txtExcel))
        return;
    std::unique_ptr<DbConnection> schema;
    try {
        schema = openSchemaConnection(txtExcel->text());
        cboTable->clear();
        cboField->clear();
        cboFilterFieldEx->clear();
        listWorksheets(*schema, adderFor(cboTable));
        cboTable->setCurrentIndex(-1);
    } catch (...) {
        reportFailure(std::current_exception());
    }
    closeSchema(schema);
}

void ImportDialog::cboTable_Click()
{
    BusyPointer busy(m_context.dialogs);
    busy.show();
    std::unique_ptr<DbConnection> schema;
    try {
        schema = openSchemaConnection(txtExcel->text());
        cboField->clear();
        cboFilterFieldEx->clear();
        cboFilterFieldEx->addItem(QString());
        listColumns(*schema, cboTable->currentText(), [this](const QString &column) {
            cboField->addItem(column);
            cboFilterFieldEx->addItem(column);
        });
        cboField->setCurrentIndex(-1);
        cboFilterFieldEx->setCurrentIndex(-1);
    } catch (...) {
        reportFailure(std::current_exception());
    }
    closeSchema(schema);
}

void ImportDialog::cboFilterFieldEx_Click()
{
    BusyPointer busy(m_context.dialogs);
    busy.show();
    try {
        const QString column = cboFilterFieldEx->currentText();
        const QString trimmed = trimSpaces(column);
        if (!trimmed.isEmpty()) {
            if (trimmed.contains(QLatin1Char(' '))) {
                busy.restore();
                m_context.dialogs.exclamation(
                    QStringLiteral("The filter column name should be one word and cannot have any space in it."));
                // Choosing the empty entry switches the filter off, as a click on it would.
                cboFilterFieldEx->setCurrentIndex(0);
                cboFilterFieldEx_Click();
                return;
            }
            cboFilterValueEx->clear();
            cboFilterValueEx->addItem(QString());
            m_connections.OpenExcelConnection(txtExcel->text());
            listValues(*m_connections.ExcelConnection(), excelValueListStatement(column, cboTable->currentText()),
                       adderFor(cboFilterValueEx));
            m_connections.ExcelConnection()->close();
            cboFilterValueEx->setCurrentIndex(-1);
        }
        busy.restore();
        m_retryCount = 0;
    } catch (...) {
        retryValueListing(&ImportDialog::cboFilterFieldEx_Click, std::current_exception());
    }
}

void ImportDialog::txtFilterFieldAc_LostFocus()
{
    BusyPointer busy(m_context.dialogs);
    busy.show();
    try {
        const QString column = txtFilterFieldAc->text();
        if (trimSpaces(column).isEmpty()) {
            cboFilterValueAc->clear();
        } else {
            cboFilterValueAc->clear();
            cboFilterValueAc->addItem(QString());
            m_connections.OpenAccessConnection(txtAccess->text());
            listValues(*m_connections.AccessConnection(), accessValueListStatement(column, txtAccessT->text()),
                       adderFor(cboFilterValueAc));
            m_connections.AccessConnection()->close();
            cboFilterValueAc->setCurrentIndex(-1);
        }
        busy.restore();
        m_retryCount = 0;
    } catch (...) {
        retryValueListing(&ImportDialog::txtFilterFieldAc_LostFocus, std::current_exception());
    }
}

void ImportDialog::retryValueListing(void (ImportDialog::*handler)(), std::exception_ptr failure)
{
    // A file another program is still writing often reads on a second try; a failure that
    // persists is reported once, and after a report the next failure is reported at once
    // until a listing completes.
    if (m_retryCount > 3) {
        reportFailure(failure);
        return;
    }
    ++m_retryCount;
    (this->*handler)();
}

bool ImportDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtFilterFieldAc && event->type() == QEvent::FocusOut) {
        // Leaving the box within the dialog (Tab, a click elsewhere, Import, Cancel) lists
        // its values; another window taking the focus (a message box, another program)
        // does not.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            txtFilterFieldAc_LostFocus();
    }
    return QDialog::eventFilter(watched, event);
}
