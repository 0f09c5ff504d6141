#include "recipients/importtext.h"
#include "common/ansitext.h"

#include "recipients/importlist.h"
#include "recipients/recipientlist.h"

#include "importtesthelpers.h"
#include "scripteddialogs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using ImportTest::VectorList;
using Icon = Dialogs::Icon;

namespace {

const QString kDuplicates = QStringLiteral(
    "Multiple entries of same phone number were found in the text file and were filtered while importing.");
const QString kNoValid = QStringLiteral("Selected text file is empty or does not contain any valid phone numbers!");

class TextImportTest : public testing::Test
{
protected:
    QString write(const QByteArray &bytes)
    {
        const QString path = dir.filePath(QStringLiteral("phones.txt"));
        writeFileBytes(path, bytes);
        return path;
    }
    void import(const QString &path, bool append = false) { importTextFile(dialogs, list, path, append); }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    VectorList list;
};

TEST_F(TextImportTest, SplitsAtLineEndsTakesValidNumbersOnceAndTellsTheOutcome)
{
    struct Case
    {
        const char *name;
        QByteArray content;
        bool append;
        QString message;
        Icon icon;
        QStringList expected; // the list held "9812345678" and "9812345679" before
    };
    const QString empty = QStringLiteral("Selected text file is empty");
    const Case cases[] = {
        {"RepeatTakenOnce", "9812345670\r\n+919812345678\r\n9812345670\r\n", false, kDuplicates, Icon::Information,
         {"9812345670", "+919812345678"}},
        // Blanks are trimmed; tabs are not blanks, so a line with a tab is no number.
        {"InvalidLinesSkippedSilently", " 9812345670 \r\nabc\r\n+\r\n\r\n\t9812345671\r\n+91 98\r\n1.5e3\r\n", false,
         {}, Icon::None, {"9812345670", "1.5e3"}},
        {"LinuxLineEnds", "9812345670\n9812345671\n", false, {}, Icon::None, {"9812345670", "9812345671"}},
        {"EmptyFileEmptiesTheListFirst", "", false, empty, Icon::Exclamation, {}},
        {"BlankLines", "\r\n\r\n", false, kNoValid, Icon::Exclamation, {}},
        {"AppendSkipsKnownNumbers", "9812345679\r\n9812345678", true, kNoValid, Icon::Exclamation,
         {"9812345678", "9812345679"}},
        {"AppendAddsNewOnes", "9812345670\r\n", true, {}, Icon::None, {"9812345678", "9812345679", "9812345670"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        list.clear();
        list.append(QStringLiteral("9812345678"));
        list.append(QStringLiteral("9812345679"));
        if (!c.message.isEmpty())
            dialogs.expectMessage(c.message, c.icon);
        import(write(c.content), c.append);
        EXPECT_EQ(list.entries, c.expected);
        EXPECT_TRUE(dialogs.allConsumed());
        EXPECT_FALSE(dialogs.isBusy());
    }
}

// An empty path is refused leaving the list alone; a missing file empties it and is
// reported in one line.
TEST_F(TextImportTest, EmptyPathAndMissingFile)
{
    list.append(QStringLiteral("9812345678"));
    dialogs.expectMessage(QStringLiteral("Please specify the text file to import phone numbers."), Icon::Exclamation);
    import(QStringLiteral("   "));
    EXPECT_EQ(list.count(), 1);

    dialogs.expectMessageStartingWith(QStringLiteral("76 "), Icon::None);
    import(dir.filePath(QStringLiteral("missing.txt")));
    EXPECT_TRUE(list.entries.isEmpty());
    ASSERT_EQ(dialogs.shown().size(), 2);
    EXPECT_TRUE(dialogs.shown().last().endsWith(QLatin1String(" Quillo"))) << dialogs.shown().last().toStdString();
    EXPECT_FALSE(dialogs.shown().last().contains(QLatin1Char('\n')));
    EXPECT_FALSE(dialogs.isBusy());
}

TEST_F(TextImportTest, MorePiecesThanAShortIndexCountsOverflow)
{
    QByteArray bytes;
    for (int i = 0; i < kMaxPhoneListPieces; ++i)
        bytes += "\r\n";
    // 32,768 line ends make 32,769 pieces.
    dialogs.expectMessage(QStringLiteral("6 Overflow Quillo"), Icon::None);
    import(write(bytes));

    bytes.chop(2);
    dialogs.expectMessage(kNoValid, Icon::Exclamation);
    import(write(bytes));
}

TEST_F(TextImportTest, FullRecipientListStopsTheImportWithAReport)
{
    QByteArray bytes;
    for (int i = 0; i < kMaxPhoneListPieces; ++i)
        bytes += QByteArray::number(9800000000LL + i) + (i + 1 < kMaxPhoneListPieces ? "\r\n" : "");
    RecipientList recipients;
    RecipientListImport target(recipients);
    dialogs.expectMessageStartingWith(QStringLiteral("6 Overflow"), Icon::None);
    importTextFile(dialogs, target, write(bytes), false);
    // What fitted stays; the number that did not fit is reported, not dropped silently.
    EXPECT_EQ(recipients.count(), RecipientList::kMaxEntries);
}

} // namespace
