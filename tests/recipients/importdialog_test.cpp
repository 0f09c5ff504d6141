#include "recipients/importdialog.h"

#include "db/dbconnection.h"
#include "db/dberrors.h"
#include "fakes.h"
#include "recipients/importconnections.h"
#include "importtesthelpers.h"
#include "testfiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

using ImportTest::VectorList;
using Icon = Dialogs::Icon;

namespace {

QStringList entries(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

class ImportDialogTest : public testing::Test
{
protected:
    void open(const QString &sourceType = QStringLiteral("Text"))
    {
        tc.state.ImportSourceType = sourceType;
        dialog = std::make_unique<ImportDialog>(tc.context, list, connections, [this] { ++afterImportCalls; });
        dialog->Form_Load();
    }
    template <typename T>
    T *get(const char *name)
    {
        T *found = dialog->findChild<T *>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    void choose(const char *comboName, const QString &text)
    {
        auto *box = get<QComboBox>(comboName);
        const int index = box->findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    void pickWorkbook(const QString &path)
    {
        tc.dialogs.expectOpenFile(path);
        get<QPushButton>("cmdExcel")->click();
    }

    TestContext tc;
    VectorList list;
    ImportConnections connections;
    std::unique_ptr<ImportDialog> dialog;
    int afterImportCalls = 0;
};

TEST_F(ImportDialogTest, SourceTypeAndOptionsChooseThePanels)
{
    struct Case { const char *type, *option, *source, *filter; };
    const Case cases[] = {{"Text", "optText", "fraText", nullptr},
                          {"EXCEL", "optExcel", "fraExcel", "filterExcel"},
                          {"access", "optAccess", "fraAccess", "filterAccess"}};
    const char *frames[] = {"fraText", "fraExcel", "fraAccess", "filterExcel", "filterAccess"};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.type);
        open(QLatin1String(c.type));
        dialog->show();
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Import Mobile Phone Numbers"));
        EXPECT_TRUE(get<QRadioButton>(c.option)->isChecked());
        for (const char *frame : frames) {
            const bool shown = qstrcmp(frame, c.source) == 0 || (c.filter && qstrcmp(frame, c.filter) == 0);
            EXPECT_EQ(get<QGroupBox>(frame)->isVisible(), shown) << frame;
        }
        // A text file has no other columns to bring along.
        EXPECT_EQ(get<QCheckBox>("chkFields")->isVisible(), c.filter != nullptr);
        EXPECT_FALSE(get<QCheckBox>("chkFields")->isChecked());
    }
    for (const char *conditions : {"cboFilterCondEx", "cboFilterCondAc"}) {
        auto *box = get<QComboBox>(conditions);
        EXPECT_EQ(entries(box).size(), 11);
        EXPECT_EQ(box->itemText(10), QStringLiteral("does not end with"));
        EXPECT_EQ(box->currentIndex(), -1);
    }
    EXPECT_FALSE(get<QCheckBox>("chkAppList")->isChecked());

    // Switching kinds shows the other panels and keeps what was typed.
    get<QLineEdit>("txtAccessT")->setText(QStringLiteral("Suppliers"));
    get<QRadioButton>("optText")->click();
    EXPECT_TRUE(get<QGroupBox>("fraText")->isVisible());
    EXPECT_FALSE(get<QGroupBox>("filterAccess")->isVisible());
    get<QRadioButton>("optAccess")->click();
    EXPECT_EQ(get<QLineEdit>("txtAccessT")->text(), QStringLiteral("Suppliers"));
}

TEST_F(ImportDialogTest, FilePickerChecksExtensionAndCancelEmptiesTheBox)
{
    open();
    auto *path = get<QLineEdit>("txtText");
    tc.dialogs.expectOpenFile(QStringLiteral("/data/phones.TXT"));
    get<QPushButton>("cmdText")->click();
    const Dialogs::FileRequest &request = tc.dialogs.lastFileRequest();
    EXPECT_EQ(request.title + u'|' + request.filter + u'|' + request.defaultExt + u'|' + request.initialName,
              QStringLiteral("Select a file|Text Files (*.txt)|*.txt|txt|"));
    EXPECT_EQ(request.startFolder, tc.context.dataFolder);

    tc.dialogs.expectOpenFile(QStringLiteral("/data/numbers.csv"));
    tc.dialogs.expectMessage(QStringLiteral("Invalid file selection!"), Icon::Exclamation);
    get<QPushButton>("cmdText")->click();
    EXPECT_EQ(path->text(), QStringLiteral("/data/phones.TXT"));
    tc.dialogs.expectOpenFile(QString());
    get<QPushButton>("cmdText")->click();
    EXPECT_TRUE(path->text().isEmpty());

    tc.makeFolder(QStringLiteral("Phone Lists"));
    tc.dialogs.expectOpenFile(QString());
    get<QPushButton>("cmdAccess")->click();
    EXPECT_EQ(tc.dialogs.lastFileRequest().filter, QStringLiteral("Access Files (*.mdb *.accdb)|*.mdb;*.accdb"));
    EXPECT_TRUE(tc.dialogs.lastFileRequest().startFolder.startsWith(tc.context.dataFolder + QStringLiteral("Phone Lists")));
    // Every kind a picker offers is taken, and only those.
    const std::tuple<const char *, QString, bool> picks[] = {
        {"cmdAccess", QStringLiteral("/data/shop.ACCDB"), true}, {"cmdAccess", QStringLiteral("/data/shop.xls"), false},
        {"cmdExcel", QStringLiteral("/data/book.xlsx"), true},   {"cmdExcel", QStringLiteral("/data/book.ods"), true},
        {"cmdExcel", QStringLiteral("/data/list.csv"), true},    {"cmdExcel", QStringLiteral("/data/book.mdb"), false}};
    for (const auto &[button, chosen, taken] : picks) {
        tc.dialogs.expectOpenFile(chosen);
        if (!taken)
            tc.dialogs.expectMessage(QStringLiteral("Invalid file selection!"), Icon::Exclamation);
        else if (QLatin1String(button) == QLatin1String("cmdExcel")) // a taken workbook is opened for its sheets
            tc.dialogs.expectMessageStartingWith(QStringLiteral("-2147467259 Could not find file"), Icon::None);
        get<QPushButton>(button)->click();
        EXPECT_TRUE(tc.dialogs.allConsumed()) << chosen.toStdString();
    }
}

TEST_F(ImportDialogTest, WorkbookSheetColumnAndValueLists)
{
    open(QStringLiteral("Excel"));
    pickWorkbook(TestFiles::contactsXls());
    auto *sheets = get<QComboBox>("cboTable");
    // The empty Sheet2 has no named column and is left out.
    EXPECT_EQ(entries(sheets), QStringList({"Contacts$", "Sheet3$"}));
    EXPECT_EQ(sheets->currentIndex(), -1);
    EXPECT_EQ(get<QComboBox>("cboField")->count(), 0);

    choose("cboTable", QStringLiteral("Contacts$"));
    EXPECT_EQ(entries(get<QComboBox>("cboField")), QStringList({"Name", "Mobile", "City", "Age"}));
    EXPECT_EQ(entries(get<QComboBox>("cboFilterFieldEx")), QStringList({"", "Name", "Mobile", "City", "Age"}));

    choose("cboFilterFieldEx", QStringLiteral("City"));
    EXPECT_EQ(entries(get<QComboBox>("cboFilterValueEx")),
              QStringList({"", "Chennai", "Delhi", "Goa", "Hyderabad", "Kolkata", "Mumbai", "Panaji", "Pune"}));

    // A column with a blank is refused and the filter switched off; the values stay.
    get<QComboBox>("cboFilterFieldEx")->addItem(QStringLiteral("Home City"));
    tc.dialogs.expectMessage(QStringLiteral("The filter column name should be one word and cannot have any space in it."),
                             Icon::Exclamation);
    choose("cboFilterFieldEx", QStringLiteral("Home City"));
    EXPECT_EQ(get<QComboBox>("cboFilterFieldEx")->currentIndex(), 0);
    EXPECT_EQ(get<QComboBox>("cboFilterValueEx")->count(), 9);

    // Picking another workbook empties the sheet and column lists.
    pickWorkbook(TestFiles::excel95Xls());
    EXPECT_EQ(entries(sheets), QStringList({"Contacts$"}));
    EXPECT_EQ(get<QComboBox>("cboField")->count(), 0);
    EXPECT_EQ(connections.ExcelConnection()->state(), 0) << "a value list leaves its connection closed";
}

TEST_F(ImportDialogTest, RefusedImportStillClosesAndCancelTouchesNothing)
{
    open();
    dialog->show();
    list.append(QStringLiteral("111"));
    tc.dialogs.expectMessage(QStringLiteral("Please specify the text file to import phone numbers."), Icon::Exclamation);
    get<QPushButton>("cmdImport")->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(afterImportCalls, 1);

    open();
    dialog->show();
    get<QLineEdit>("txtText")->setText(QStringLiteral("/nonexistent.txt"));
    get<QPushButton>("cmdCancel")->click();
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(list.entries, QStringList({"111"}));
    EXPECT_EQ(afterImportCalls, 1);
}

TEST_F(ImportDialogTest, LeavingAccessFilterColumnListsValuesBeforeImport)
{
    open(QStringLiteral("Access"));
    dialog->show();
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    get<QLineEdit>("txtAccess")->setText(TestFiles::contactsMdb());
    get<QLineEdit>("txtAccessT")->setText(QStringLiteral("Suppliers"));
    get<QLineEdit>("txtAccessM")->setText(QStringLiteral("Phone"));
    auto *filterColumn = get<QLineEdit>("txtFilterFieldAc");
    filterColumn->setFocus();
    filterColumn->setText(QStringLiteral("Country"));
    get<QComboBox>("cboFilterCondAc")->setCurrentIndex(1);
    get<QComboBox>("cboFilterValueAc")->setEditText(QStringLiteral("Nepal"));
    // The press on Import takes the focus first: the value list is refilled (which empties
    // the value typed before), then the import runs with Country = ''.
    tc.dialogs.expectMessage(QStringLiteral("No phone numbers found in selected Access database."), Icon::Exclamation);
    QTest::mouseClick(get<QPushButton>("cmdImport"), Qt::LeftButton);
    EXPECT_EQ(entries(get<QComboBox>("cboFilterValueAc")), QStringList({"", "India", "Nepal"}));
    EXPECT_TRUE(list.entries.isEmpty());
    EXPECT_EQ(afterImportCalls, 1);
}

TEST_F(ImportDialogTest, ValueListRetriesThenReportsOnce)
{
    open(QStringLiteral("Access"));
    get<QLineEdit>("txtAccess")->setText(TestFiles::contactsMdb());
    get<QLineEdit>("txtFilterFieldAc")->setText(QStringLiteral("City"));
    const QString failure = QString::number(DbErrors::kStatementFailed) + QLatin1Char(' ');

    // No table: the statement fails every time; one report after the retries.
    tc.dialogs.expectMessageStartingWith(failure, Icon::None);
    dialog->txtFilterFieldAc_LostFocus();
    EXPECT_EQ(dialog->retryCount(), 4);
    EXPECT_EQ(tc.dialogs.shown().size(), 1);

    // Right after a report the next failure is reported at once.
    tc.dialogs.expectMessageStartingWith(failure, Icon::None);
    dialog->txtFilterFieldAc_LostFocus();
    EXPECT_EQ(dialog->retryCount(), 4);
    EXPECT_EQ(tc.dialogs.shown().size(), 2);

    get<QLineEdit>("txtAccessT")->setText(QStringLiteral("Customers"));
    dialog->txtFilterFieldAc_LostFocus();
    EXPECT_EQ(dialog->retryCount(), 0);
    EXPECT_EQ(entries(get<QComboBox>("cboFilterValueAc")), QStringList({"", "Berlin", "Leeds", "London", "Pune"}));

    get<QLineEdit>("txtFilterFieldAc")->setText(QStringLiteral("  "));
    dialog->txtFilterFieldAc_LostFocus();
    EXPECT_EQ(get<QComboBox>("cboFilterValueAc")->count(), 0);
}

TEST(ImportDialogDamagedTest, WorkbookListingsReportOnceAndNeverCrash)
{
    TestContext tc;
    VectorList list;
    ImportConnections connections;
    ImportTest::RecordingDialogs recorder;
    AppContext context{tc.state, recorder, tc.shell, tc.clock, {}, tc.context.appFolder, tc.context.dataFolder};
    const QDir dir(ImportTest::testData(QStringLiteral("db/corrupt")));
    for (const QString &name : dir.entryList({QStringLiteral("*.xls")}, QDir::Files)) {
        SCOPED_TRACE(name.toStdString());
        ImportDialog dialog(context, list, connections);
        dialog.Form_Load();
        recorder.boxes.clear();
        recorder.openAnswer = dir.filePath(name);
        dialog.cmdExcel_Click();
        dialog.cboTable_Click();
        // A workbook that cannot be opened: one ImportErrorBox per listing; one that opens
        // in part: no box. Never anything else.
        EXPECT_LE(recorder.boxes.size(), 2);
        for (const auto &box : recorder.boxes)
            EXPECT_EQ(box.icon, Icon::None) << box.text.toStdString();
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
}

} // namespace
