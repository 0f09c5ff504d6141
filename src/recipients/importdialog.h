#pragma once

#include "common/appcontext.h"
#include "importstatement.h"

#include <QDialog>
#include <functional>

class ImportConnections;
class ImportList;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;

// The import dialog (object name frmSettings), "Import Mobile Phone Numbers": loads numbers into the recipient list from a
// text file, an Excel worksheet or an Access table, and helps fill the database boxes
// with worksheet, column and value lists. Modal; a fresh dialog for every opening.
class ImportDialog : public QDialog
{
    Q_OBJECT
public:
    // afterImport runs once the dialog has closed after Import (the main window puts the
    // focus on the recipient list).
    ImportDialog(AppContext &context, ImportList &list, ImportConnections &connections,
                std::function<void()> afterImport = {}, QWidget *parent = nullptr);
    ~ImportDialog() override;

    // Centres the dialog, selects the source kind that ImportSourceType names and fills
    // the condition lists.
    void Form_Load();

    void optText_Click();
    void optExcel_Click();
    void optAccess_Click();
    void cmdText_Click();
    void cmdExcel_Click();
    void cmdAccess_Click();
    void cmdImport_Click();
    void cmdCancel_Click();
    // The worksheet, column and value lists.
    void cboTable_Click();
    void cboFilterFieldEx_Click();
    void txtFilterFieldAc_LostFocus();

    void ImportFromText();
    void ImportFromExcel();
    void ImportFromAccess();

    // Automatic retries of the value lists since one last completed.
    qint16 retryCount() const { return m_retryCount; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Kind { Text, Excel, Access };

    void buildLayout();
    QGroupBox *buildTextFrame();
    QGroupBox *buildExcelFrame();
    QGroupBox *buildAccessFrame();
    QGroupBox *buildExcelFilter();
    QGroupBox *buildAccessFilter();
    void connectHandlers();
    void showFramesFor(Kind kind);
    // The file picker of the three "..." buttons; true when a file was put in the box.
    bool pickFile(const QString &filter, const QString &defaultExt, QLineEdit *box);
    ImportRequest excelRequest() const;
    ImportRequest accessRequest() const;
    // A value listing's failure: retried up to four times, then reported once.
    void retryValueListing(void (ImportDialog::*handler)(), std::exception_ptr failure);
    void reportFailure(std::exception_ptr failure);

    AppContext &m_context;
    ImportList &m_list;
    ImportConnections &m_connections;
    std::function<void()> m_afterImport;
    qint16 m_retryCount = 0;

    QGroupBox *Frame1 = nullptr;
    QRadioButton *optText = nullptr;
    QRadioButton *optExcel = nullptr;
    QRadioButton *optAccess = nullptr;
    QStackedWidget *m_sourceStack = nullptr;
    QStackedWidget *m_filterStack = nullptr;
    QGroupBox *fraText = nullptr;
    QLineEdit *txtText = nullptr;
    QPushButton *cmdText = nullptr;
    QGroupBox *fraExcel = nullptr;
    QLineEdit *txtExcel = nullptr;
    QPushButton *cmdExcel = nullptr;
    QComboBox *cboTable = nullptr;
    QComboBox *cboField = nullptr;
    QGroupBox *fraAccess = nullptr;
    QLineEdit *txtAccess = nullptr;
    QPushButton *cmdAccess = nullptr;
    QLineEdit *txtAccessT = nullptr;
    QLineEdit *txtAccessM = nullptr;
    QGroupBox *filterExcel = nullptr;
    QComboBox *cboFilterFieldEx = nullptr;
    QComboBox *cboFilterCondEx = nullptr;
    QComboBox *cboFilterValueEx = nullptr;
    QGroupBox *filterAccess = nullptr;
    QLineEdit *txtFilterFieldAc = nullptr;
    QComboBox *cboFilterCondAc = nullptr;
    QComboBox *cboFilterValueAc = nullptr;
    QCheckBox *chkAppList = nullptr;
    // Worksheet, .csv and table imports: each number keeps its row's other columns, for
    // personal messages. Off at every opening.
    QCheckBox *chkFields = nullptr;
    QPushButton *cmdCancel = nullptr;
    QPushButton *cmdImport = nullptr;
};
