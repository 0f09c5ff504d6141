#include "db/dbconnection.h"
#include "fakes.h"
#include "recipients/importdialog.h"
#include "recipients/importcontroller.h"
#include "app/mainwindow.h"
#include "recipients/recipientlist.h"
#include "testfiles.h"

#include <QApplication>
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

TEST_F(ImportWindowTest, ExcelMenuEntryImportsAndFocusesTheList)
{
    withDialog(
        [&](ImportDialog &dialog) {
            EXPECT_TRUE(dialog.findChild<QRadioButton *>(QStringLiteral("optExcel"))->isChecked());
            tc.dialogs.expectOpenFile(TestFiles::contactsXls());
            dialog.findChild<QPushButton *>(QStringLiteral("cmdExcel"))->click();
            auto *sheets = dialog.findChild<QComboBox *>(QStringLiteral("cboTable"));
            sheets->setCurrentIndex(0);
            emit sheets->activated(0);
            auto *field = dialog.findChild<QComboBox *>(QStringLiteral("cboField"));
            field->setCurrentIndex(field->findText(QStringLiteral("Mobile")));
            tc.dialogs.expectMessage(QStringLiteral("Multiple entries of same phone number were found in the Excel "
                                                    "file and were filtered while importing."),
                                     Dialogs::Icon::Information);
            QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("cmdImport")), Qt::LeftButton);
        },
        [&] { window.menus().importExcel->trigger(); });
    EXPECT_EQ(list().count(), 6);
    // The main window takes the focus back once the dialog has gone.
    auto *lstMno = window.findChild<QWidget *>(QStringLiteral("lstMno"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == lstMno; }, 2000));
    EXPECT_EQ(window.panel(1)->text(), QStringLiteral("List Size: 6"));
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
