#include "recipients/importdatabase.h"

#include "db/dbconnection.h"
#include "db/dberrors.h"
#include "importtesthelpers.h"
#include "recipients/importconnections.h"
#include "scripteddialogs.h"
#include "testfiles.h"

#include <gtest/gtest.h>

using ImportTest::sorted;
using ImportTest::VectorList;
using Icon = Dialogs::Icon;

namespace {

const QString kExcelDuplicates = QStringLiteral(
    "Multiple entries of same phone number were found in the Excel file and were filtered while importing.");
const QString kExcelNoValid =
    QStringLiteral("Selected Excel file column is empty or does not contain any valid phone numbers!");
const QString kAccessNoValid =
    QStringLiteral("Selected Access database is empty or does not contain any valid phone numbers!");

class DatabaseImportTest : public testing::Test
{
protected:
    void excel(const QString &sheet, const QString &column, const QString &filterColumn = {},
               const QString &condition = {}, const QString &value = {},
               const QString &path = TestFiles::contactsXls())
    {
        importDatabase(ImportSource::Excel, {path, sheet, column, filterColumn, condition, value}, append, dialogs,
                       list, connections);
    }
    void access(const QString &table, const QString &column, const QString &filterColumn = {},
                const QString &condition = {}, const QString &value = {},
                const QString &path = TestFiles::contactsMdb())
    {
        importDatabase(ImportSource::Access, {path, table, column, filterColumn, condition, value}, append, dialogs,
                       list, connections);
    }
    void TearDown() override
    {
        // Every import releases its connection and gives the pointer back.
        EXPECT_EQ(connections.AccessConnection(), nullptr);
        EXPECT_EQ(connections.ExcelConnection(), nullptr);
        EXPECT_FALSE(dialogs.isBusy());
    }

    ScriptedDialogs dialogs;
    VectorList list;
    ImportConnections connections;
    bool append = false;
};

TEST_F(DatabaseImportTest, ExcelFilters)
{
    struct Case { const char *column, *condition, *value; QStringList expected; QString message; Icon icon; };
    const Case cases[] = {
        {"City", "equals", "pune", {"9812345678", "09812345681"}, kExcelDuplicates, Icon::Information},
        {"Age", "is greater than", "30", {"9812345678", "+919876543210", "9812345683"}, kExcelDuplicates,
         Icon::Information},
        {"Age", "is less than or equal to", "28", {"9812345679", "09812345681", "919812345682"}, {}, Icon::None},
        {"Name", "begins with", "Ra", {}, kExcelNoValid, Icon::Exclamation},
        {"City", "ends with", "ai", {"9812345679"}, {}, Icon::None},
        {"City", "equals", "Nowhere", {}, QStringLiteral("Selected Excel file column is empty"), Icon::Exclamation},
        // Column without a condition: no filter at all. Stored numbers come as digits, apostrophe
        // text without its apostrophe; n/a, the empty cell and an inner blank are skipped.
        {"City", "", "Pune", {"9812345678", "+919876543210", "9812345679", "09812345681", "919812345682", "9812345683"},
         kExcelDuplicates, Icon::Information},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.column) + " " + c.condition + " " + c.value);
        if (!c.message.isEmpty())
            dialogs.expectMessage(c.message, c.icon);
        excel(QStringLiteral("Contacts"), QStringLiteral("Mobile"), QLatin1String(c.column),
              QLatin1String(c.condition), QLatin1String(c.value));
        EXPECT_EQ(list.entries, c.expected);
        EXPECT_TRUE(dialogs.allConsumed());
    }
}

TEST_F(DatabaseImportTest, ExcelOtherSheetsAndFormats)
{
    excel(QStringLiteral("Sheet3$"), QStringLiteral("Phone"));
    EXPECT_EQ(list.entries, QStringList({"9812345690", "9812345691", "9812345692"}));

    excel(QStringLiteral("Contacts"), QStringLiteral("Mobile"), {}, {}, {}, TestFiles::excel95Xls());
    EXPECT_EQ(list.entries, QStringList({"9812345678", "9812345679", "+919812345680"}));

    excel(QStringLiteral("Numbers"), QStringLiteral("Mobile"), {}, {}, {}, TestFiles::bulkXls());
    ASSERT_EQ(list.count(), 1000);
    EXPECT_EQ(list.entries.first(), QStringLiteral("9800000000"));
    EXPECT_EQ(list.entries.last(), QString::number(9800000000LL + 7 * 999));
}

// Access rows come distinct, so no duplicates message; a refusal of every row leaves an
// appended list as it was.
TEST_F(DatabaseImportTest, AccessFilters)
{
    struct Case { const char *column, *condition, *value; QStringList expected; QString message; };
    const Case cases[] = {
        {"", "", "", {"+919876543210", "+9779812345685", "09812345681", "919812345682", "9812345678", "9812345679"}, {}},
        {"City", "equals", "Delhi", {"+919876543210"}, {}},
        {"Country", "equals", "nepal", {"+9779812345685"}, {}},
        {"City", "begins with", "P", {"09812345681", "9812345678"}, {}},
        {"SupplierID", "is greater than", "10", {"+9779812345685"}, {}},
        {"City", "equals", "Kolkata", {}, kAccessNoValid},
        {"City", "equals", "Nowhere", {}, QStringLiteral("No phone numbers found in selected Access database.")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.column) + " " + c.condition + " " + c.value);
        if (!c.message.isEmpty())
            dialogs.expectMessage(c.message, Icon::Exclamation);
        access(QStringLiteral("Suppliers"), QStringLiteral("Phone"), QLatin1String(c.column),
               QLatin1String(c.condition), QLatin1String(c.value));
        EXPECT_EQ(sorted(list.entries), c.expected);
        EXPECT_TRUE(dialogs.allConsumed());
    }
    access(QStringLiteral("DateTest"), QStringLiteral("ShortTextCol"), {}, {}, {}, TestFiles::dateTestMdb());
    EXPECT_EQ(sorted(list.entries), sorted({"9812345678", "+919876543210"}));

    append = true;
    list.entries = {QStringLiteral("+919876543210")};
    dialogs.expectMessage(kAccessNoValid, Icon::Exclamation);
    access(QStringLiteral("Suppliers"), QStringLiteral("Phone"), QStringLiteral("City"), QStringLiteral("equals"),
           QStringLiteral("Delhi"));
    EXPECT_EQ(list.entries, QStringList({"+919876543210"}));
}

TEST_F(DatabaseImportTest, FailuresReportedWithNumberDescriptionSource)
{
    const QString prefix = QString::number(DbErrors::kStatementFailed) + QLatin1Char(' ');
    // A quote in the value breaks the pattern statement, which has no fallback.
    dialogs.expectMessageStartingWith(prefix, Icon::None);
    access(QStringLiteral("Suppliers"), QStringLiteral("Phone"), QStringLiteral("ContactName"),
           QStringLiteral("begins with"), QStringLiteral("O'Brien"));
    dialogs.expectMessageStartingWith(prefix, Icon::None);
    excel(QStringLiteral("Contacts"), QStringLiteral("Nosuch"));
    // Both the quoted statement and the unquoted fallback are rejected.
    dialogs.expectMessageStartingWith(prefix, Icon::None);
    excel(QStringLiteral("Contacts"), QStringLiteral("Mobile"), QStringLiteral("Nosuch"), QStringLiteral("equals"),
          QStringLiteral("Pune"));

    list.append(QStringLiteral("111"));
    dialogs.expectMessage(QStringLiteral("The mobile number column name should be one word without any space in it."),
                          Icon::Exclamation);
    excel(QStringLiteral("Contacts"), QStringLiteral("Mobile No"));
    EXPECT_EQ(list.entries, QStringList({"111"})) << "a refusal leaves the list alone";
    dialogs.expectMessageStartingWith(QString::number(DbErrors::kOpenFailed) + QLatin1Char(' '), Icon::None);
    access(QStringLiteral("Suppliers"), QStringLiteral("Phone"), {}, {}, {}, QStringLiteral("/nonexistent/x.mdb"));
    EXPECT_TRUE(list.entries.isEmpty());
    for (const QString &text : dialogs.shown())
        EXPECT_FALSE(text.contains(QLatin1Char('\n'))) << text.toStdString();
}

} // namespace
