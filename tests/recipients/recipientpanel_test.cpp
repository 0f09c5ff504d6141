#include "messagingframe.h"
#include "common/ansitext.h"

#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using Icon = Dialogs::Icon;
const QString kInvalidNumber = QStringLiteral("Enter valid phone number format.\r\n(e.g. 9812345678 or +919812345678)");

class RecipientPanelTest : public testing::Test
{
protected:
    void fill(int count)
    {
        for (int i = 0; i < count; ++i)
            frame.list().append(QString::number(i));
    }
    QStringList entries() { return frame.list().entries(); }
    QList<int> selectedRows() const
    {
        QList<int> rows;
        for (const QModelIndex &index : lstMno->selectionModel()->selectedIndexes())
            rows << index.row();
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    void pressDelete() { QTest::keyClick(lstMno, Qt::Key_Delete); }

    TestContext tc;
    MessagingFrame frame{tc};
    QLineEdit *txtMno = frame.get<QLineEdit>("txtMno");
    QListView *lstMno = frame.get<QListView>("lstMno");
};

TEST_F(RecipientPanelTest, AddKeepsTypedTextAndRefusesNonNumbers)
{
    frame.show();
    const struct { QString text; bool added, refused; } cases[] = {
        {QStringLiteral("9812345678"), true, false},
        {QStringLiteral(" 9812345678 "), true, false},
        {QStringLiteral("9812345678"), true, false}, // no duplicate test on a typed number
        {QStringLiteral("98123x5678"), false, true},
        {QStringLiteral("    "), false, false},
        {QString(QChar::Nbsp), false, true}, // no blank: refused with the message, not ignored
    };
    QStringList expected;
    for (const auto &c : cases) {
        if (c.refused)
            tc.dialogs.expectMessage(kInvalidNumber, Icon::Exclamation);
        txtMno->setText(c.text);
        QTest::mouseClick(frame.get<QPushButton>("cmdAddMno"), Qt::LeftButton);
        if (c.added)
            expected << c.text;
        EXPECT_EQ(txtMno->text(), c.added ? QString() : c.text) << c.text.toStdString();
    }
    txtMno->setText(QStringLiteral("+919812345678"));
    QTest::keyClick(txtMno, Qt::Key_Return);
    EXPECT_EQ(entries(), expected << QStringLiteral("+919812345678")) << "Enter adds too";
}

TEST_F(RecipientPanelTest, WithACountryATypedNumberGoesInInInternationalFormOrIsRefusedByName)
{
    tc.state.Details.Country = QStringLiteral("GB");
    for (const char *typed : {"07700 900123", "+44 7700 900123"}) {
        txtMno->setText(QLatin1String(typed));
        frame.recipients().cmdAddMno_Click();
    }
    tc.dialogs.expectMessage(QStringLiteral("07700 is not a valid phone number for United Kingdom (GB)."),
                             Icon::Exclamation);
    txtMno->setText(QStringLiteral(" 07700 "));
    frame.recipients().cmdAddMno_Click();
    EXPECT_EQ(txtMno->text(), QStringLiteral(" 07700 "));
    EXPECT_EQ(entries(), (QStringList{"+447700900123", "+447700900123"})) << "no duplicate test on a typed number";
}

TEST_F(RecipientPanelTest, FullListRefusesTheAddWithAMessage)
{
    // Indices are 16-bit signed for the operator: 32,767 entries at most, and a bulk append
    // takes only what fits.
    QStringList many;
    for (int i = 0; i < RecipientList::kMaxEntries - 1; ++i)
        many << QString::number(i);
    EXPECT_EQ(frame.list().appendMany(many), RecipientList::kMaxEntries - 1);
    EXPECT_EQ(frame.list().appendMany({QStringLiteral("a1"), QStringLiteral("a2")}), 1);
    EXPECT_FALSE(frame.list().IsNumberInList(QStringLiteral("a2")));
    tc.dialogs.expectMessageStartingWith(QStringLiteral("The phone number list is full"), Icon::Exclamation);
    txtMno->setText(QStringLiteral("9812345678"));
    frame.recipients().cmdAddMno_Click();
    EXPECT_EQ(frame.list().count(), RecipientList::kMaxEntries);
    EXPECT_EQ(txtMno->text(), QStringLiteral("9812345678")) << "the typed number stays";
}

TEST_F(RecipientPanelTest, DeleteKeyRemovesTheSelectedAndSelectsTheNextEntry)
{
    const struct { const char *name; int listSize; std::vector<int> selected; int selectedAfter; } cases[] = {
        {"scattered", 10, {2, 5, 7}, 2}, {"last two", 10, {8, 9}, 7}, {"nothing selected", 4, {}, 0},
        {"everything", 3, {0, 1, 2}, -1}, {"first", 3, {0}, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        frame.list().clear();
        fill(c.listSize);
        for (int row : c.selected)
            lstMno->selectionModel()->select(frame.list().index(row), QItemSelectionModel::Select);
        QStringList kept = entries();
        for (auto it = c.selected.rbegin(); it != c.selected.rend(); ++it)
            kept.removeAt(*it);

        pressDelete();

        EXPECT_EQ(entries(), kept);
        EXPECT_EQ(selectedRows(), c.selectedAfter < 0 ? QList<int>() : QList<int>{c.selectedAfter});
        EXPECT_EQ(frame.status(), QStringLiteral("List Size: %1").arg(kept.size()));
    }
}

TEST_F(RecipientPanelTest, ListOperationsDuringDeleteKeyRemovalKeepTheListWhole)
{
    // Events run between removals: Remove All, Remove, Add and a second Delete arrive then.
    frame.recipients().setYieldIntervalMs(0);
    fill(200);
    for (int row = 0; row < 200; row += 2) // every other entry: one removal each
        lstMno->selectionModel()->select(frame.list().index(row), QItemSelectionModel::Select);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        if (ticks == 1) {
            frame.recipients().cmdRemove_Click();
            pressDelete();
        } else if (ticks == 2) {
            txtMno->setText(QStringLiteral("5551234"));
            frame.recipients().cmdAddMno_Click();
        } else if (ticks == 3) {
            tc.dialogs.expectQuestion(QStringLiteral("Remove all phone numbers from list?"), true);
            frame.recipients().cmdRemoveAll_Click();
            txtMno->setText(QStringLiteral("5559999"));
            frame.recipients().cmdAddMno_Click();
        }
    });
    timer.start(0);
    pressDelete();
    timer.stop();
    EXPECT_GE(ticks, 3);
    // Added after Remove All and never selected: it survives.
    EXPECT_EQ(entries(), QStringList{QStringLiteral("5559999")});
    EXPECT_EQ(frame.status(), QStringLiteral("List Size: 1"));
}

TEST_F(RecipientPanelTest, RemoveTakesOnlyTheLowestSelectedAndRemoveAllAsks)
{
    tc.dialogs.expectMessage(QStringLiteral("Phone number list is already empty"), Icon::Information);
    frame.get<QAction>("mnuClearList")->trigger();
    fill(5);
    for (int row : {3, 1, 4})
        lstMno->selectionModel()->select(frame.list().index(row), QItemSelectionModel::Select);
    QTest::mouseClick(frame.get<QPushButton>("cmdRemove"), Qt::LeftButton);
    EXPECT_EQ(entries(), (QStringList{"0", "2", "3", "4"}));
    lstMno->selectionModel()->clearSelection();
    frame.recipients().cmdRemove_Click();
    EXPECT_EQ(frame.list().count(), 4);

    tc.dialogs.expectQuestion(QStringLiteral("Remove all phone numbers from list?"), false);
    QTest::mouseClick(frame.get<QPushButton>("cmdRemoveAll"), Qt::LeftButton);
    EXPECT_EQ(frame.list().count(), 4);
    tc.dialogs.expectQuestion(QStringLiteral("Remove all phone numbers from list?"), true);
    frame.get<QAction>("mnuClearList")->trigger();
    EXPECT_EQ(frame.list().count(), 0);
    EXPECT_FALSE(frame.list().IsNumberInList(QStringLiteral("0")));
}

// Plain lists are saved as text, lists with columns as CSV; refusals and Cancel write nothing.
TEST_F(RecipientPanelTest, SaveWritesTextOrCsvAndRefusalsWriteNothing)
{
    tc.dialogs.expectMessage(QStringLiteral("Phone number list is empty"), Icon::Exclamation);
    frame.recipients().cmdSave_Click();

    for (const char *n : {" 9812345678", "+919812345678", "98"})
        frame.list().append(QLatin1String(n));
    const QString csv = tc.context.dataFolder + QStringLiteral("list.csv");
    tc.dialogs.expectSaveFile(csv).expectMessage(QStringLiteral("Invalid file selection!"), Icon::Exclamation);
    QTest::mouseClick(frame.get<QPushButton>("cmdSave"), Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(csv));
    // Without "Phone Lists" the dialog opens in the data folder; Cancel is silent.
    EXPECT_EQ(tc.dialogs.lastFileRequest().startFolder, tc.context.dataFolder);
    tc.dialogs.expectSaveFile(QString());
    frame.recipients().cmdSave_Click();

    const QString phoneLists = tc.makeFolder(QStringLiteral("Phone Lists"));
    const QString path = phoneLists + QStringLiteral("list.txt");
    tc.dialogs.expectSaveFile(path).expectMessage(QStringLiteral("Phone numbers saved in text file."),
                                                   Icon::Information);
    frame.get<QAction>("mnuSaveList")->trigger();
    const Dialogs::FileRequest &request = tc.dialogs.lastFileRequest();
    EXPECT_EQ(request.title, QStringLiteral("Select a file"));
    EXPECT_EQ(request.filter, QStringLiteral("Text Files (*.txt)|*.txt"));
    EXPECT_EQ(request.defaultExt, QStringLiteral("txt"));
    EXPECT_EQ(request.startFolder, phoneLists);
    EXPECT_TRUE(request.initialName.isEmpty());
    EXPECT_TRUE(request.confirmCreate && request.refuseReadOnly);
    EXPECT_EQ(readFileBytes(path), QByteArray(" 9812345678\r\n+919812345678\r\n98\r\n"));

    frame.list().clear();
    frame.list().append(QStringLiteral("9812345678"), {{QStringLiteral("Name"), QStringLiteral("Asha")}});
    frame.list().append(QStringLiteral("98"));
    tc.dialogs.expectSaveFile(csv).expectMessage(QStringLiteral("Phone numbers and their columns saved in CSV file."),
                                                  Icon::Information);
    frame.recipients().cmdSave_Click();
    EXPECT_EQ(tc.dialogs.lastFileRequest().filter, QStringLiteral("CSV Files (*.csv)|*.csv"));
    EXPECT_EQ(readFileBytes(csv), QByteArray("Number,Name\r\n\"9812345678\",\"Asha\"\r\n\"98\",\r\n"));
    EXPECT_EQ(frame.list().count(), 2);
}

TEST_F(RecipientPanelTest, WriteFailureReportsTheReasonAndChangesNothing)
{
    const UnwritableTargets targets(tc, QStringLiteral("list.txt"));
    fill(2);
    for (const QString &target : targets.paths) {
        tc.dialogs.expectSaveFile(target).expectMessageStartingWith(QStringLiteral("Error saving file\r\n["),
                                                                    Icon::Critical);
        frame.recipients().cmdSave_Click();
        const QString shown = tc.dialogs.shown().last();
        EXPECT_TRUE(shown.endsWith(QLatin1Char(']')) && !shown.endsWith(QLatin1String("[]"))) << "the reason is shown";
        EXPECT_FALSE(QFile::exists(target));
    }
    EXPECT_EQ(frame.list().count(), 2);
}

TEST_F(RecipientPanelTest, ListSizeOnFocusAndIdleOnLeaving)
{
    frame.show();
    QApplication::setActiveWindow(&frame);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    fill(12);
    lstMno->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(frame.status(), QStringLiteral("List Size: 12"));
    txtMno->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(frame.status(), QStringLiteral("Idle"));
}

TEST_F(RecipientPanelTest, ImportEntriesSetTheSourceAndAskForTheDialog)
{
    // The window would open the import dialog (see the import window test); only the request counts here.
    QObject::disconnect(&frame.recipients(), &RecipientPanel::importRequested, nullptr, nullptr);
    QSignalSpy requested(&frame.recipients(), &RecipientPanel::importRequested);
    const std::pair<const char *, const char *> entries[] = {
        {"mnuImportExl", "Excel"}, {"mnuImportAcc", "Access"}, {"mnuImportTxt", "Text"}};
    for (const auto &[menu, source] : entries) {
        frame.get<QAction>(menu)->trigger();
        EXPECT_EQ(tc.state.ImportSourceType, QLatin1String(source));
    }
    tc.state.ImportSourceType = QStringLiteral("Access");
    QTest::mouseClick(frame.get<QPushButton>("cmdSelectFile"), Qt::LeftButton);
    EXPECT_EQ(tc.state.ImportSourceType, QStringLiteral("Access")) << "the button keeps the last source";
    EXPECT_EQ(requested.count(), 4);
    EXPECT_EQ(frame.list().count(), 0);
}

} // namespace
