#include "dbtesthelpers.h"
#include "db/dberrors.h"
#include "testfiles.h"

#include <array>
#include <gtest/gtest.h>

using namespace DbTest;
using TestFiles::SheetKind;

namespace {

// Every kind of spreadsheet file the Excel connection opens, holding the same sheets; a
// .csv holds the Contacts sheet alone.
class EveryKind : public testing::TestWithParam<SheetKind>
{
protected:
    QString path() const { return TestFiles::contacts(GetParam()); }
    bool oneSheet() const { return GetParam() == SheetKind::Csv; }
};

INSTANTIATE_TEST_SUITE_P(Spreadsheets, EveryKind,
                         testing::Values(SheetKind::Xls, SheetKind::Xlsx, SheetKind::Xlsm, SheetKind::Ods, SheetKind::Csv),
                         [](const auto &info) {
                             return std::string(std::array{"Xls", "Xlsx", "Xlsm", "Ods", "Csv"}[int(info.param)]);
                         });

// The worksheet listing's connection: ODBC provider, the schema string, client cursor.
std::unique_ptr<DbConnection> schemaConnection(const QString &path)
{
    auto c = std::make_unique<DbConnection>();
    c->setProvider(QStringLiteral("MSDASQL"));
    c->setConnectionString(QStringLiteral("Driver={Microsoft Excel Driver (*.xls)};DBQ=") + path
                           + QStringLiteral("; "));
    c->setCursorLocation(DbCursorLocation::Client);
    c->open(QString(), QString(), QString());
    return c;
}

TEST_P(EveryKind, ListsWorksheetsAndTheirColumnsWithCounts)
{
    auto c = schemaConnection(path());
    auto tables = c->openSchema(DbSchema::Tables);
    const QStringList expectedNames = oneSheet() ? QStringList({"Contacts$"})
                                                 : QStringList({"Contacts$", "Sheet2$", "Sheet3$"});
    EXPECT_EQ(tables->recordCount(), expectedNames.size());
    const QStringList names = schemaNames(*tables, QStringLiteral("TABLE_NAME"));
    ASSERT_EQ(names, expectedNames);

    const QList<QStringList> expected = {{"Name", "Mobile", "City", "Age"}, {}, {"Phone"}};
    for (int i = 0; i < names.size(); ++i) {
        auto columns = c->openSchema(DbSchema::Columns, {QString(), QString(), names[i], QString()});
        EXPECT_EQ(columns->recordCount(), expected[i].size()) << names[i].toStdString();
        EXPECT_EQ(schemaNames(*columns, QStringLiteral("COLUMN_NAME")), expected[i]) << names[i].toStdString();
    }
    c->close();
    EXPECT_EQ(c->state(), kDbStateClosed);
}

// Blank, repeated and numeric headings get names; the first row names the columns even
// when it holds numbers.
TEST(ExcelSchema, HeadingsNameTheColumns)
{
    auto c = schemaConnection(testData(QStringLiteral("headings.xls")));
    auto columns = c->openSchema(DbSchema::Columns, {QString(), QString(), QStringLiteral("Headings$"), QString()});
    EXPECT_EQ(schemaNames(*columns, QStringLiteral("COLUMN_NAME")),
              QStringList({"F1", "Mobile", "mobile1", "42", "Home City"}));
    DbConnection noHeader;
    noHeader.open(excelString(TestFiles::noHeaderXls()));
    EXPECT_EQ(column0(noHeader, QStringLiteral("SELECT [9812345678] FROM [Sheet1$]")),
              QStringList({"9812345679", "9812345680"}));
}

const QStringList kAllMobiles = {"9812345678", "+919876543210", "9812345679", "n/a", "<null>", "9812345678",
                                 "98123 45680", "09812345681", "919812345682", "'9812345683", "9812345678"};
const QStringList kOlderThan30 = {"9812345678", "+919876543210", "n/a", "<null>", "9812345678",
                                  "'9812345683", "9812345678"};

// The statements as the import writes them; rows in sheet order.
TEST_P(EveryKind, StatementsGiveTheRowsInSheetOrder)
{
    const std::pair<const char *, QStringList> cases[] = {
        {"SELECT Mobile FROM [Contacts$]", kAllMobiles},
        {"SELECT Mobile FROM [Contacts]", kAllMobiles},
        {"SELECT Mobile FROM [Contacts] WHERE Age > '30'", kOlderThan30},
        {"SELECT Mobile FROM [Contacts$] WHERE City = 'pune'", {"9812345678", "9812345678", "09812345681"}},
        {"SELECT Name FROM [Contacts$] WHERE City <> 'DELHI' AND Age < 28", {"अनिता शर्मा", "Fatima Sheikh"}},
        {"SELECT Name FROM [Contacts$] WHERE not (Name like 'ra%')",
         {"Asha Rao", "Vikram Singh", "Meena Iyer", "Priya Nair", "Asha Rao (dup)", "John D'Souza",
          "अनिता शर्मा", "Fatima Sheikh", "Zoe Fernandes", "Karan Mehta"}},
        {"SELECT Mobile FROM [Contacts$] WHERE Name like 'अनि%'", {"09812345681"}},
        {"SELECT Name FROM [Contacts$] WHERE Mobile = '9812345678'", {"Asha Rao", "Asha Rao (dup)", "Karan Mehta"}},
        {"SELECT distinct City FROM [Contacts$] order by City",
         {"Chennai", "Delhi", "Goa", "Hyderabad", "Kolkata", "Mumbai", "Panaji", "Pune"}},
        {"SELECT distinct Age FROM [Contacts$] order by Age",
         {"<null>", "26", "27", "28", "31", "33", "39", "40", "45", "52"}},
        {"SELECT Mobile FROM [Contacts$] WHERE City = 'Nowhere'", {}},
        {"SELECT Phone FROM [Sheet3$]", {"9812345690", "9812345691", "9812345692"}},
    };
    DbConnection c;
    c.open(excelString(path()));
    for (const auto &[statement, expected] : cases)
        if (!oneSheet() || !QByteArray(statement).contains("Sheet3"))
            EXPECT_EQ(column0(c, QString::fromUtf8(statement)), expected) << statement;
}

// Mobile holds text too, so its numbers come as their digits; Age is all numbers, whole
// ones as integers; empty cells are Null; field names match in any case.
TEST_P(EveryKind, NumbersAreWholeNumbersAndEmptyCellsNull)
{
    DbConnection c;
    c.open(excelString(path()));
    auto rs = c.execute(QStringLiteral("SELECT Mobile, Age, City FROM [Contacts$] WHERE Name like 'Priya%' "
                                       "OR Name = 'Asha Rao' OR Name like 'John%'"));
    const QList<QVariantList> expected = {{QStringLiteral("9812345678"), 31LL, QStringLiteral("Pune")},
                                          {QVariant(), 39LL, QStringLiteral("Mumbai")},
                                          {QStringLiteral("98123 45680"), QVariant(), QStringLiteral("Goa")}};
    for (const QVariantList &row : expected) {
        ASSERT_FALSE(rs->eof());
        EXPECT_EQ((QVariantList{rs->fields(QStringLiteral("mobile")).value(), rs->fields(1).value(),
                                rs->fields(QStringLiteral("CITY")).value()}),
                  row);
        rs->moveNext();
    }
    EXPECT_TRUE(rs->eof());
}

TEST_P(EveryKind, RejectedStatementsCarryNumberDescriptionAndSource)
{
    DbConnection c;
    c.open(excelString(path()));
    for (const char *statement :
         {"SELECT Mobile FROM [Contacts] WHERE not (Name like 'O'Brien%')", "SELECT Mobile No FROM [Contacts$]",
          "SELECT Mobile FROM [Nothing$]", "SELECT Phone FROM [Contacts$]", "SELECT Mobile FROM [Sheet2$]", ""})
        expectError(DbErrors::kStatementFailed, [&] { c.execute(QLatin1String(statement)); }, QLatin1String(statement));
    // The connection is still usable after a rejected statement.
    EXPECT_EQ(column0(c, QStringLiteral("SELECT City FROM [Contacts$]")).size(), 11);
}

} // namespace
