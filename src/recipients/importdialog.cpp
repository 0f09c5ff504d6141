#include "importdialog.h"

#include "common/busypointer.h"
#include "common/namedwidget.h"
#include "common/paths.h"
#include "importconnections.h"
#include "importdatabase.h"
#include "importfeedback.h"
#include "importlist.h"
#include "importtext.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

QGroupBox *frame(QWidget *parent, const char *name, const QString &caption)
{
    auto *box = new QGroupBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

// A caption above or beside its box; the box takes the caption (without the colon) as its
// accessible name.
QLabel *labelFor(QWidget *box, const QString &caption)
{
    auto *label = new QLabel(caption, box->parentWidget());
    label->setBuddy(box);
    if (box->accessibleName().isEmpty()) {
        QString name = caption;
        name.remove(QLatin1Char(':'));
        box->setAccessibleName(name.trimmed());
    }
    return label;
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption, const QString &accessibleName)
{
    auto *b = named(new QPushButton(caption, parent), name, accessibleName);
    // Enter in a path box must not start an import by itself.
    b->setAutoDefault(false);
    return b;
}

QComboBox *dropDown(QWidget *parent, const char *name, bool editable)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setEditable(editable);
    box->setMinimumContentsLength(10);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return box;
}

// The path row of a source frame: label, the path box taking the width, "..." at its right.
QHBoxLayout *pathRow(QLineEdit *path, QPushButton *picker)
{
    auto *row = new QHBoxLayout;
    row->addWidget(labelFor(path, QStringLiteral("File Name :")));
    row->addWidget(path, 1);
    row->addWidget(picker);
    return row;
}

} // namespace

ImportDialog::ImportDialog(AppContext &context, ImportList &list, ImportConnections &connections,
                         std::function<void()> afterImport, QWidget *parent)
    : QDialog(parent), m_context(context), m_list(list), m_connections(connections),
      m_afterImport(std::move(afterImport))
{
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("Import Mobile Phone Numbers"));
    setModal(true);
    buildLayout();
    connectHandlers();
}

ImportDialog::~ImportDialog() = default;

void ImportDialog::buildLayout()
{
    auto *layout = new QVBoxLayout(this);

    Frame1 = frame(this, "Frame1", QStringLiteral("File Type"));
    optText = named(new QRadioButton(QStringLiteral("Text File"), Frame1), "optText", QStringLiteral("Text File"));
    optExcel = named(new QRadioButton(QStringLiteral("Microsoft Excel"), Frame1), "optExcel",
                     QStringLiteral("Microsoft Excel"));
    optAccess = named(new QRadioButton(QStringLiteral("Microsoft Access"), Frame1), "optAccess",
                      QStringLiteral("Microsoft Access"));
    auto *kinds = new QHBoxLayout(Frame1);
    kinds->addWidget(optText);
    kinds->addWidget(optExcel);
    kinds->addWidget(optAccess);
    kinds->addStretch(1);
    layout->addWidget(Frame1);

    // The source frames lie on top of each other, the filter frames too: one place each,
    // the dialog keeps its size when the kind changes.
    m_sourceStack = new QStackedWidget(this);
    m_sourceStack->addWidget(buildTextFrame());
    m_sourceStack->addWidget(buildExcelFrame());
    m_sourceStack->addWidget(buildAccessFrame());
    layout->addWidget(m_sourceStack);

    m_filterStack = new QStackedWidget(this);
    m_filterStack->addWidget(new QWidget(m_filterStack));
    m_filterStack->addWidget(buildExcelFilter());
    m_filterStack->addWidget(buildAccessFilter());
    layout->addWidget(m_filterStack);
    layout->addStretch(1);

    chkAppList = named(new QCheckBox(QStringLiteral("Append to existing list"), this), "chkAppList",
                       QStringLiteral("Append to existing list"));
    cmdCancel = button(this, "cmdCancel", QStringLiteral("Cancel"), QStringLiteral("Cancel"));
    cmdImport = button(this, "cmdImport", QStringLiteral("Import"), QStringLiteral("Import"));
    chkFields = named(new QCheckBox(QStringLiteral("Bring the other columns along"), this), "chkFields",
                      QStringLiteral("Bring the other columns along"));
    chkFields->setToolTip(QStringLiteral("Each number keeps the other values of its row, for {Column} "
                                         "placeholders in the message"));
    chkFields->setVisible(false);
    layout->addWidget(chkFields);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(chkAppList);
    bottom->addStretch(1);
    bottom->addWidget(cmdCancel);
    bottom->addWidget(cmdImport);
    layout->addLayout(bottom);

    setMinimumWidth(560);
}

QGroupBox *ImportDialog::buildTextFrame()
{
    fraText = frame(m_sourceStack, "fraText", QStringLiteral("Source File"));
    txtText = named(new QLineEdit(fraText), "txtText", QString());
    cmdText = button(fraText, "cmdText", QStringLiteral("..."), QStringLiteral("Browse for a text file"));
    auto *rows = new QVBoxLayout(fraText);
    rows->addLayout(pathRow(txtText, cmdText));
    rows->addStretch(1);
    return fraText;
}

QGroupBox *ImportDialog::buildExcelFrame()
{
    fraExcel = frame(m_sourceStack, "fraExcel", QStringLiteral("Source File"));
    txtExcel = named(new QLineEdit(fraExcel), "txtExcel", QString());
    cmdExcel = button(fraExcel, "cmdExcel", QStringLiteral("..."), QStringLiteral("Browse for an Excel file"));
    cboTable = dropDown(fraExcel, "cboTable", false);
    cboField = dropDown(fraExcel, "cboField", false);
    auto *grid = new QGridLayout(fraExcel);
    grid->addLayout(pathRow(txtExcel, cmdExcel), 0, 0, 1, 4);
    grid->addWidget(labelFor(cboTable, QStringLiteral("Sheet Name:")), 1, 0);
    grid->addWidget(cboTable, 1, 1);
    grid->addWidget(labelFor(cboField, QStringLiteral("Mobile Phone Column:")), 1, 2);
    grid->addWidget(cboField, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    return fraExcel;
}

QGroupBox *ImportDialog::buildAccessFrame()
{
    fraAccess = frame(m_sourceStack, "fraAccess", QStringLiteral("Source File"));
    txtAccess = named(new QLineEdit(fraAccess), "txtAccess", QString());
    cmdAccess = button(fraAccess, "cmdAccess", QStringLiteral("..."), QStringLiteral("Browse for an Access file"));
    txtAccessT = named(new QLineEdit(fraAccess), "txtAccessT", QString());
    txtAccessM = named(new QLineEdit(fraAccess), "txtAccessM", QString());
    auto *grid = new QGridLayout(fraAccess);
    grid->addLayout(pathRow(txtAccess, cmdAccess), 0, 0, 1, 4);
    grid->addWidget(labelFor(txtAccessT, QStringLiteral("Table Name:")), 1, 0);
    grid->addWidget(txtAccessT, 1, 1);
    grid->addWidget(labelFor(txtAccessM, QStringLiteral("Mobile Phone Column:")), 1, 2);
    grid->addWidget(txtAccessM, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    return fraAccess;
}

QGroupBox *ImportDialog::buildExcelFilter()
{
    filterExcel = frame(m_filterStack, "filterExcel", QStringLiteral("Filter"));
    cboFilterFieldEx = dropDown(filterExcel, "cboFilterFieldEx", false);
    cboFilterCondEx = dropDown(filterExcel, "cboFilterCondEx", false);
    cboFilterValueEx = dropDown(filterExcel, "cboFilterValueEx", true);
    auto *grid = new QGridLayout(filterExcel);
    grid->addWidget(labelFor(cboFilterFieldEx, QStringLiteral("Column Name")), 0, 0);
    grid->addWidget(labelFor(cboFilterCondEx, QStringLiteral("Condition")), 0, 1);
    grid->addWidget(labelFor(cboFilterValueEx, QStringLiteral("Value")), 0, 2);
    grid->addWidget(cboFilterFieldEx, 1, 0);
    grid->addWidget(cboFilterCondEx, 1, 1);
    grid->addWidget(cboFilterValueEx, 1, 2);
    for (int column = 0; column < 3; ++column)
        grid->setColumnStretch(column, 1);
    return filterExcel;
}

QGroupBox *ImportDialog::buildAccessFilter()
{
    filterAccess = frame(m_filterStack, "filterAccess", QStringLiteral("Filter"));
    txtFilterFieldAc = named(new QLineEdit(filterAccess), "txtFilterFieldAc", QString());
    cboFilterCondAc = dropDown(filterAccess, "cboFilterCondAc", false);
    cboFilterValueAc = dropDown(filterAccess, "cboFilterValueAc", true);
    auto *grid = new QGridLayout(filterAccess);
    grid->addWidget(labelFor(txtFilterFieldAc, QStringLiteral("Column Name:")), 0, 0);
    grid->addWidget(labelFor(cboFilterCondAc, QStringLiteral("Condition:")), 0, 1);
    grid->addWidget(labelFor(cboFilterValueAc, QStringLiteral("Value:")), 0, 2);
    grid->addWidget(txtFilterFieldAc, 1, 0);
    grid->addWidget(cboFilterCondAc, 1, 1);
    grid->addWidget(cboFilterValueAc, 1, 2);
    for (int column = 0; column < 3; ++column)
        grid->setColumnStretch(column, 1);
    return filterAccess;
}

void ImportDialog::connectHandlers()
{
    connect(optText, &QRadioButton::clicked, this, &ImportDialog::optText_Click);
    connect(optExcel, &QRadioButton::clicked, this, &ImportDialog::optExcel_Click);
    connect(optAccess, &QRadioButton::clicked, this, &ImportDialog::optAccess_Click);
    connect(cmdText, &QPushButton::clicked, this, &ImportDialog::cmdText_Click);
    connect(cmdExcel, &QPushButton::clicked, this, &ImportDialog::cmdExcel_Click);
    connect(cmdAccess, &QPushButton::clicked, this, &ImportDialog::cmdAccess_Click);
    connect(cmdImport, &QPushButton::clicked, this, &ImportDialog::cmdImport_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &ImportDialog::cmdCancel_Click);
    connect(cboTable, &QComboBox::activated, this, &ImportDialog::cboTable_Click);
    connect(cboFilterFieldEx, &QComboBox::activated, this, &ImportDialog::cboFilterFieldEx_Click);
    txtFilterFieldAc->installEventFilter(this);
}

void ImportDialog::Form_Load()
{
    adjustSize();
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - frameGeometry().width()) / 2,
             area.y() + (area.height() - frameGeometry().height()) / 2);
    }

    const QString kind = m_context.state.ImportSourceType.toUpper();
    if (kind == QLatin1String("TEXT")) {
        optText->setChecked(true);
        optText_Click();
    } else if (kind == QLatin1String("EXCEL")) {
        optExcel->setChecked(true);
        optExcel_Click();
    } else if (kind == QLatin1String("ACCESS")) {
        optAccess->setChecked(true);
        optAccess_Click();
    }

    for (QComboBox *conditions : {cboFilterCondEx, cboFilterCondAc}) {
        conditions->clear();
        conditions->addItems(importConditionEntries());
        conditions->setCurrentIndex(-1);
    }
    cboFilterValueEx->setCurrentIndex(-1);
    cboFilterValueAc->setCurrentIndex(-1);
}

void ImportDialog::showFramesFor(Kind kind)
{
    const int page = static_cast<int>(kind);
    m_sourceStack->setCurrentIndex(page);
    m_filterStack->setCurrentIndex(page);
    chkFields->setVisible(kind != Kind::Text);
}

void ImportDialog::optText_Click()
{
    showFramesFor(Kind::Text);
}

void ImportDialog::optExcel_Click()
{
    showFramesFor(Kind::Excel);
}

void ImportDialog::optAccess_Click()
{
    showFramesFor(Kind::Access);
}

bool ImportDialog::pickFile(const QString &filter, const QString &defaultExt, QLineEdit *box)
{
    const QString dataFolder = AddBackslash(m_context.dataFolder);
    Dialogs::FileRequest request;
    request.title = QStringLiteral("Select a file");
    request.filter = filter;
    request.defaultExt = defaultExt;
    request.startFolder = PreferredFolder(AddBackslash(dataFolder + QStringLiteral("Phone Lists")), dataFolder);
    const QString chosen = m_context.dialogs.openFile(request);
    // The kinds the filter offers ("Name|*.a;*.b|Name|*.c") are the kinds accepted.
    QStringList accepted;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int i = 1; i < parts.size(); i += 2)
        for (const QString &pattern : parts.at(i).split(QLatin1Char(';')))
            accepted << pattern.section(QLatin1Char('.'), 1);
    if (!chosen.isEmpty() && !accepted.contains(QFileInfo(chosen).suffix(), Qt::CaseInsensitive)) {
        m_context.dialogs.exclamation(QStringLiteral("Invalid file selection!"));
        return false;
    }
    box->setText(chosen);
    return !chosen.isEmpty();
}

void ImportDialog::cmdText_Click()
{
    pickFile(QStringLiteral("Text Files (*.txt)|*.txt"), QStringLiteral("txt"), txtText);
}

void ImportDialog::cmdAccess_Click()
{
    pickFile(QStringLiteral("Access Files (*.mdb *.accdb)|*.mdb;*.accdb"), QStringLiteral("mdb"), txtAccess);
}

ImportRequest ImportDialog::excelRequest() const
{
    return {txtExcel->text(),
            cboTable->currentText(),
            cboField->currentText(),
            cboFilterFieldEx->currentText(),
            cboFilterCondEx->currentText(),
            cboFilterValueEx->currentText(),
            chkFields->isChecked()};
}

ImportRequest ImportDialog::accessRequest() const
{
    return {txtAccess->text(),
            txtAccessT->text(),
            txtAccessM->text(),
            txtFilterFieldAc->text(),
            cboFilterCondAc->currentText(),
            cboFilterValueAc->currentText(),
            chkFields->isChecked()};
}

void ImportDialog::ImportFromText()
{
    importTextFile(m_context.dialogs, m_list, txtText->text(), chkAppList->isChecked());
}

void ImportDialog::ImportFromExcel()
{
    importDatabase(ImportSource::Excel, excelRequest(), chkAppList->isChecked(), m_context.dialogs, m_list,
                   m_connections);
}

void ImportDialog::ImportFromAccess()
{
    importDatabase(ImportSource::Access, accessRequest(), chkAppList->isChecked(), m_context.dialogs, m_list,
                   m_connections);
}

void ImportDialog::cmdImport_Click()
{
    try {
        if (optText->isChecked())
            ImportFromText();
        else if (optExcel->isChecked())
            ImportFromExcel();
        else if (optAccess->isChecked())
            ImportFromAccess();
    } catch (...) {
        reportFailure(std::current_exception());
    }
    done(QDialog::Accepted);
    if (m_afterImport)
        m_afterImport();
}

void ImportDialog::cmdCancel_Click()
{
    done(QDialog::Rejected);
}

void ImportDialog::reportFailure(std::exception_ptr failure)
{
    m_context.dialogs.setBusy(false);
    ImportErrorBox(m_context.dialogs, asQuilloError(failure));
}
