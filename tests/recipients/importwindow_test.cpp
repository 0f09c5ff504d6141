#include "db/dbconnection.h"
#include "fakes.h"
#include "recipients/importdialog.h"
#include "recipients/importcontroller.h"
#include "app/mainwindow.h"
#include "recipients/recipientlist.h"
#include "testfiles.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <functional>

namespace {

struct ImportWindowTest : testing::Test
{
    ImportWindowTest() : window(tc.context, [this] { ++terminations; })
    {
        window.Form_Load();
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    // Runs drive on the modal import dialog once it is open; returns when it has closed.
    void withDialog(const std::function<void(ImportDialog &)> &drive, const std::function<void()> &open)
    {
        bool driven = false;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<ImportDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            driven = true;
            drive(*dialog);
            if (dialog->isVisible())
                dialog->reject();
        });
        open();
        EXPECT_TRUE(driven);
    }

    RecipientList &list() { return *window.findChild<RecipientList *>(); }

    TestContext tc;
    int terminations = 0;
    MainWindow window;
};

// The menu entry opens the dialog on Excel; its choices (sheet, column, filter, append) make
// the import; the list's size shows and the main window takes the focus back.
TEST_F(ImportWindowTest, ExcelMenuEntryImportsWhatTheDialogSaysAndFocusesTheList)
{
    list().append(QStringLiteral("111"));
    withDialog(
        [&](ImportDialog &dialog) {
            const auto choose = [&](const char *name, const QString &text) {
                auto *box = dialog.findChild<QComboBox *>(QLatin1String(name));
                box->setCurrentIndex(box->findText(text));
                emit box->activated(box->currentIndex());
            };
            EXPECT_TRUE(dialog.findChild<QRadioButton *>(QStringLiteral("optExcel"))->isChecked());
            tc.dialogs.expectOpenFile(TestFiles::contactsXls());
            dialog.findChild<QPushButton *>(QStringLiteral("cmdExcel"))->click();
            choose("cboTable", QStringLiteral("Contacts$"));
            choose("cboField", QStringLiteral("Mobile"));
            choose("cboFilterFieldEx", QStringLiteral("Age"));
            choose("cboFilterCondEx", QStringLiteral("is greater than"));
            dialog.findChild<QComboBox *>(QStringLiteral("cboFilterValueEx"))->setEditText(QStringLiteral("30"));
            dialog.findChild<QCheckBox *>(QStringLiteral("chkAppList"))->setChecked(true);
            tc.dialogs.expectMessage(QStringLiteral("Multiple entries of same phone number were found in the Excel "
                                                    "file and were filtered while importing."),
                                     Dialogs::Icon::Information);
            QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("cmdImport")), Qt::LeftButton);
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
        },
        [&] { window.menus().importExcel->trigger(); });
    EXPECT_EQ(list().entries(), QStringList({"111", "9812345678", "+919876543210", "9812345683"}));
    auto *lstMno = window.findChild<QWidget *>(QStringLiteral("lstMno"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == lstMno; }, 2000));
    EXPECT_EQ(window.panel(1)->text(), QStringLiteral("List Size: 4"));
}

TEST_F(ImportWindowTest, ExitClosesOpenConnections)
{
    auto *controller = window.findChild<ImportController *>();
    ASSERT_NE(controller, nullptr);
    controller->connections().OpenExcelConnection(TestFiles::contactsXls());
    controller->connections().OpenAccessConnection(TestFiles::contactsMdb());
    tc.dialogs.expectQuestion(QStringLiteral("Close and Exit Quillo?"), true);
    window.mnuExit_Click();
    EXPECT_EQ(terminations, 1);
    EXPECT_EQ(controller->connections().ExcelConnection()->state(), kDbStateClosed);
    EXPECT_EQ(controller->connections().AccessConnection()->state(), kDbStateClosed);
}

} // namespace
