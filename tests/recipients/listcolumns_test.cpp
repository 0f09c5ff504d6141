// Numbers that bring their row's other columns along: from a worksheet, a table and a .csv
// file, into a list saved as .csv and read back; and the .csv lists that cannot be read.
#include "recipients/importdatabase.h"
#include "common/ansitext.h"
#include "recipients/importconnections.h"
#include "recipients/phonelistcsv.h"

#include "accesswriter.h"
#include "importtesthelpers.h"
#include "scripteddialogs.h"
#include "sheetwriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using ImportTest::VectorList;

namespace {

const QString kMobile = QStringLiteral("Mobile");

RecipientFields columns(std::initializer_list<std::pair<const char *, QString>> pairs)
{
    RecipientFields fields;
    for (const auto &[name, value] : pairs)
        fields.append({QString::fromUtf8(name), value});
    return fields;
}

struct ListColumns : testing::Test
{
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    ImportConnections connections;

    QString path(const char *name) const { return dir.filePath(QString::fromUtf8(name)); }
    VectorList import(const QString &file, const QString &sheet, const QString &column, bool withFields = true)
    {
        VectorList list;
        ImportRequest request{file, sheet, column, {}, {}, {}, withFields};
        importDatabase(ImportSource::Excel, request, false, dialogs, list, connections);
        return list;
    }
};

TEST_F(ListColumns, AWorksheetsOtherColumnsComeAlongAndOnlyWhenAsked)
{
    const QString xlsx = path("fees.xlsx");
    ASSERT_TRUE(SheetWriter::writeFile(
        xlsx, SheetWriter::Format::Xlsx,
        {{QStringLiteral("Fees"),
          {{QStringLiteral("Name"), kMobile, QStringLiteral("Fee"), QStringLiteral("Due")},
           {QStringLiteral("Asha"), 9812345601.0, 1200.0, QStringLiteral("5 Jan")},
           {QStringLiteral("Ravi"), QStringLiteral("+919812345602"), 99.5, QVariant()},
           {QStringLiteral("Asha again"), 9812345601.0, 1.0, QStringLiteral("x")}}}}));
    dialogs.expectMessageStartingWith(QStringLiteral("Multiple entries"), Dialogs::Icon::Information);
    const VectorList list = import(xlsx, QStringLiteral("Fees"), kMobile);
    EXPECT_EQ(list.entries, (QStringList{QStringLiteral("9812345601"), QStringLiteral("+919812345602")}));
    // The number's own column stays out; whole numbers read as digits, empty cells as empty.
    EXPECT_EQ(list.fields.value(0), columns({{"Name", "Asha"}, {"Fee", "1200"}, {"Due", "5 Jan"}}));
    EXPECT_EQ(list.fields.value(1), columns({{"Name", "Ravi"}, {"Fee", "99.5"}, {"Due", ""}}));

    dialogs.expectMessageStartingWith(QStringLiteral("Multiple entries"), Dialogs::Icon::Information);
    const VectorList plain = import(xlsx, QStringLiteral("Fees"), kMobile, false);
    EXPECT_EQ(plain.fields, (QList<RecipientFields>{{}, {}}));
}

TEST_F(ListColumns, AnAccessTableBringsItsColumnsToo)
{
    const QString mdb = path("people.mdb");
    AccessWriter::Table table{QStringLiteral("People"),
                              {{QStringLiteral("Mobile")}, {QStringLiteral("Name")}},
                              {{QStringLiteral("9812345601"), QStringLiteral("Asha")},
                               {QStringLiteral("9812345602"), QVariant()}}};
    ASSERT_TRUE(AccessWriter::writeFile(mdb, AccessWriter::Format::Jet4, {table}));
    VectorList list;
    importDatabase(ImportSource::Access, {mdb, QStringLiteral("People"), kMobile, {}, {}, {}, true}, false, dialogs,
                   list, connections);
    EXPECT_EQ(list.entries, (QStringList{QStringLiteral("9812345601"), QStringLiteral("9812345602")}));
    EXPECT_EQ(list.fields, (QList<RecipientFields>{columns({{"Name", "Asha"}}), columns({{"Name", ""}})}));
}

TEST_F(ListColumns, AListSavedAsCsvReadsBackAsItWas)
{
    const QStringList numbers{QStringLiteral("09812345601"), QStringLiteral("+919812345602"),
                              QStringLiteral("9812345603")};
    const QList<RecipientFields> fields{
        columns({{"Name", "Rao, Asha"}, {"Fee", "2.50"}, {"Note", "said \"hi\"\r\nthen left"}}),
        columns({{"Name", "अनिता"}, {"Joined", "2024-01-05"}}),
        {}};
    const QByteArray bytes = formatPhoneListCsv(numbers, fields);
    EXPECT_EQ(bytes.left(bytes.indexOf('\n') + 1).toStdString(), "Number,Name,Fee,Note,Joined\r\n");
    EXPECT_TRUE(bytes.endsWith("\"9812345603\",,,,\r\n"));
    const QString csv = path("saved.csv");
    writeFileBytes(csv, bytes);

    // Every entry comes back with every column of the list, empty where it had none.
    const VectorList list = import(csv, QStringLiteral("saved"), kNumberHeading);
    EXPECT_EQ(list.entries, numbers);
    EXPECT_EQ(list.fields, (QList<RecipientFields>{
                               columns({{"Name", "Rao, Asha"}, {"Fee", "2.50"}, {"Note", "said \"hi\"\r\nthen left"},
                                        {"Joined", ""}}),
                               columns({{"Name", "अनिता"}, {"Fee", ""}, {"Note", ""}, {"Joined", "2024-01-05"}}),
                               columns({{"Name", ""}, {"Fee", ""}, {"Note", ""}, {"Joined", ""}})}));
}

TEST_F(ListColumns, BadCsvListsAreRefusedNamingTheFileAndLine)
{
    const std::pair<QByteArray, const char *> cases[] = { // the error after "<path>, "
        {"Name,Phone\r\nAsha,9812345601\r\n", "line 1: no column named \"Number\" for the phone numbers"},
        {"\r\n\r\nName\r\nAsha\r\n", "line 3: no column named \"Number\" for the phone numbers"},
        {"Number,Name,name\r\n9812345601,a,b\r\n", "line 1: columns 2 and 3 are both named \"name\""},
        {"Number,Note\r\n9812345601,\"one\r\ntwo\r\n9812345602,x\r\n", "line 2: a quoted field is not closed"},
        {"Number,Note\r\n9812345601,\"a\"\r\n9812345602,\"b\r\nc\"d\r\n",
         "line 4: text after the closing quote of a field"},
        {"Number,Note\r\n9812345601,5\"\r\n", "line 2: a quote inside a field that is not quoted"},
    };
    const QString csv = path("list.csv");
    for (const auto &[bytes, error] : cases) {
        writeFileBytes(csv, bytes);
        dialogs.expectMessage(csv + QStringLiteral(", ") + QString::fromUtf8(error), Dialogs::Icon::Exclamation);
        VectorList list;
        list.entries << QStringLiteral("kept");
        importDatabase(ImportSource::Excel, {csv, QStringLiteral("list"), kNumberHeading, {}, {}, {}, true}, false,
                       dialogs, list, connections);
        EXPECT_EQ(list.entries, QStringList{QStringLiteral("kept")}) << error;
    }
}

TEST(ListColumnsCsv, SemicolonListsAndAByteOrderMarkAreRead)
{
    const CsvRecords records = parseListCsv("\xEF\xBB\xBFNumber;Name\n9812345601;\"A;B\"\n\n", QStringLiteral("x.csv"));
    EXPECT_EQ(records.headings, (QStringList{QStringLiteral("Number"), QStringLiteral("Name")}));
    EXPECT_EQ(records.rows, (QList<QStringList>{{QStringLiteral("9812345601"), QStringLiteral("A;B")}}));
}

} // namespace
