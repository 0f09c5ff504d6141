// Phone > Opt-out List: the file's numbers shown, its garbage named once, numbers added and
// removed through the box and written at once, and the file read again before each change.
#include "messagingframe.h"
#include "common/ansitext.h"
#include "recipients/optoutdialog.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>

namespace {

using Icon = Dialogs::Icon;

class OptOutDialogTest : public testing::Test
{
protected:
    QString path() const { return OptOutList::pathIn(tc.context.dataFolder); }
    void write(const QByteArray &bytes) const { writeFileBytes(path(), bytes); }
    QByteArray bytes() const { return QFile::exists(path()) ? readFileBytes(path()) : QByteArray("<missing>"); }
    QStringList shown() const
    {
        QStringList numbers;
        auto *list = dialog.findChild<QListWidget *>(QStringLiteral("lstOptOut"));
        for (int i = 0; i < list->count(); ++i)
            numbers << list->item(i)->text();
        return numbers;
    }
    void add(const QString &typed)
    {
        dialog.findChild<QLineEdit *>(QStringLiteral("txtOptOut"))->setText(typed);
        dialog.cmdOptOutAdd_Click();
    }
    void select(const QString &number)
    {
        auto *list = dialog.findChild<QListWidget *>(QStringLiteral("lstOptOut"));
        list->findItems(number, Qt::MatchExactly).value(0)->setSelected(true);
    }

    TestContext tc;
    OptOutDialog dialog{tc.context};
};

TEST_F(OptOutDialogTest, ShowsTheNumbersAndNamesTheGarbageOnce)
{
    write("# stop\r\n9812345601\r\nAsha\r\n");
    tc.dialogs.expectMessageStartingWith(QStringLiteral("The opt-out list "), Icon::Exclamation);
    ASSERT_TRUE(dialog.Form_Load());
    EXPECT_TRUE(tc.dialogs.shown().value(0).endsWith(QStringLiteral("left out:\r\nline 3")));
    EXPECT_EQ(shown(), QStringList{"9812345601"});

    add(QStringLiteral("98123 45602"));
    EXPECT_EQ(bytes(), QByteArray("# stop\r\n9812345601\r\nAsha\r\n98123 45602\r\n")) << "comments and garbage kept";
    EXPECT_TRUE(dialog.findChild<QLineEdit *>(QStringLiteral("txtOptOut"))->text().isEmpty());
    EXPECT_EQ(tc.dialogs.shown().size(), 1) << "the garbage is not named again at a change";
}

TEST_F(OptOutDialogTest, AddRefusesWhatIsNoNumberAndSaysWhatIsListedAlready)
{
    ASSERT_TRUE(dialog.Form_Load());
    EXPECT_EQ(bytes(), QByteArray("<missing>")) << "looking does not make the file";
    tc.dialogs.expectMessage(QStringLiteral("call me is not a phone number."), Icon::Exclamation);
    add(QStringLiteral("call me"));
    add(QStringLiteral("9812345601"));
    tc.dialogs.expectMessage(QStringLiteral("98123-45601 is already on the opt-out list."), Icon::Information);
    add(QStringLiteral("98123-45601"));
    EXPECT_EQ(shown(), QStringList{"9812345601"});

    // With a country numbers go in in international form, and its numbering plan decides.
    tc.state.Details.Country = QStringLiteral("IN");
    OptOutDialog india(tc.context);
    ASSERT_TRUE(india.Form_Load());
    india.findChild<QLineEdit *>(QStringLiteral("txtOptOut"))->setText(QStringLiteral("12345"));
    tc.dialogs.expectMessage(QStringLiteral("12345 is not a valid phone number for India (IN)."), Icon::Exclamation);
    india.cmdOptOutAdd_Click();
    india.findChild<QLineEdit *>(QStringLiteral("txtOptOut"))->setText(QStringLiteral("09812345602"));
    india.cmdOptOutAdd_Click();
    EXPECT_EQ(bytes(), QByteArray("9812345601\r\n+919812345602\r\n"));
    EXPECT_TRUE(tc.dialogs.allConsumed());
}

TEST_F(OptOutDialogTest, RemoveTakesTheSelectedAndKeepsWhatWasAddedMeanwhile)
{
    write("9812345601\r\n9812345602\r\n");
    ASSERT_TRUE(dialog.Form_Load());
    // quillo-cli adds a number while the dialog is open.
    write("9812345601\r\n9812345602\r\n98123 45601\r\n9812345603\r\n");
    select(QStringLiteral("9812345601"));
    dialog.cmdOptOutRemove_Click();
    EXPECT_EQ(bytes(), QByteArray("9812345602\r\n9812345603\r\n")) << "every spelling goes, the new number stays";
    EXPECT_EQ(shown(), (QStringList{"9812345602", "9812345603"}));
}

TEST_F(OptOutDialogTest, TheFileThatCannotBeReadIsReportedAndTheDialogStaysClosed)
{
    ASSERT_TRUE(QDir().mkpath(path()));
    tc.dialogs.expectMessageStartingWith(QStringLiteral("Error "), Icon::Critical);
    EXPECT_FALSE(dialog.Form_Load());
    EXPECT_TRUE(tc.dialogs.shown().value(0).contains(QDir::toNativeSeparators(path())));
}

TEST_F(OptOutDialogTest, ThePhoneMenuOpensIt)
{
    MessagingFrame frame(tc);
    write("9812345601\r\n");
    QStringList seen;
    QTimer::singleShot(0, &frame, [&] {
        if (auto *open = qobject_cast<OptOutDialog *>(QApplication::activeModalWidget())) {
            auto *list = open->findChild<QListWidget *>(QStringLiteral("lstOptOut"));
            for (int i = 0; i < list->count(); ++i)
                seen << list->item(i)->text();
            open->reject();
        }
    });
    frame.findChild<QAction *>(QStringLiteral("mnuOptOut"))->trigger();
    EXPECT_EQ(seen, QStringList{"9812345601"});
}

} // namespace
