#include "recipients/importstatement.h"
#include "recipients/importconnections.h"
#include "qstringprinter.h"

#include <gtest/gtest.h>

namespace {

ImportRequest excel(const char *column, const char *condition, const char *value, const char *number = "Mobile")
{
    return {QStringLiteral("/x/contacts.xls"), QStringLiteral("Contacts"), QLatin1String(number),
            QString::fromUtf8(column), QString::fromUtf8(condition), QString::fromUtf8(value)};
}

ImportRequest access(const char *table, const char *number, const char *column, const char *condition,
                     const char *value, bool withFields = false)
{
    return {QStringLiteral("/x/phones.mdb"), QString::fromUtf8(table), QString::fromUtf8(number),
            QString::fromUtf8(column), QString::fromUtf8(condition), QString::fromUtf8(value), withFields};
}

TEST(ImportStatement, BuildsStatementAndFallback)
{
    ImportRequest withColumns = excel("City", "equals", "Pune");
    withColumns.withFields = true;
    const struct { ImportSource source; ImportRequest request; const char *statement, *fallback; } cases[] = {
        // Bringing the other columns along keeps the number as field 0; Access rows that share
        // a number must all arrive for the first one's values to be kept, so distinct goes.
        {ImportSource::Excel, withColumns, "SELECT Mobile, * FROM [Contacts] WHERE City = 'Pune'",
         "SELECT Mobile, * FROM [Contacts] WHERE City = Pune"},
        {ImportSource::Access, access("Customers", "Mobile", "", "", "", true), "SELECT MOBILE, * FROM CUSTOMERS", ""},
        {ImportSource::Access, access("Customers", "Mobile", "City", "equals", "Delhi"),
         "SELECT DISTINCT MOBILE FROM CUSTOMERS WHERE City = 'Delhi'",
         "SELECT DISTINCT MOBILE FROM CUSTOMERS WHERE City = Delhi"},
        {ImportSource::Excel, excel("Name", "does not begin with", "Ra"),
         "SELECT Mobile FROM [Contacts] WHERE not (Name like 'Ra%')", ""},
        {ImportSource::Excel, excel("Name", "does not end with", "Rao"),
         "SELECT Mobile FROM [Contacts] WHERE not (Name like '%Rao')", ""},
        // A comparison keeps the column as typed, a pattern trims it. Conditions match in any
        // case; a comparison also with blanks around it, a pattern only as the whole text.
        {ImportSource::Excel, excel(" City ", "  EQUALS ", "Pune"), "SELECT Mobile FROM [Contacts] WHERE  City  = 'Pune'",
         "SELECT Mobile FROM [Contacts] WHERE  City  = Pune"},
        {ImportSource::Access, access("Suppliers", "Phone", " City ", "Begins With", "P"),
         "SELECT DISTINCT PHONE FROM SUPPLIERS WHERE City like 'P%'", ""},
        {ImportSource::Access, access("Suppliers", "Phone", "City", " does not end with ", "P"),
         "SELECT DISTINCT PHONE FROM SUPPLIERS", ""},
        {ImportSource::Excel, excel("", "", "", " Mobile"), "SELECT  Mobile FROM [Contacts]", ""},
        {ImportSource::Access, access("Suppliers ", "phone", "", "", ""), "SELECT DISTINCT PHONE FROM SUPPLIERS ", ""},
        // The value goes in as typed: a quote is not doubled, an empty value gives '' or '%'.
        {ImportSource::Access, access("Suppliers", "Phone", "ContactName", "begins with", "O'Brien"),
         "SELECT DISTINCT PHONE FROM SUPPLIERS WHERE ContactName like 'O'Brien%'", ""},
        {ImportSource::Excel, excel("City", "equals", ""), "SELECT Mobile FROM [Contacts] WHERE City = ''",
         "SELECT Mobile FROM [Contacts] WHERE City = "},
        {ImportSource::Excel, excel("City", "ends with", ""), "SELECT Mobile FROM [Contacts] WHERE City like '%'", ""},
        // The filter needs both a column and a condition it knows.
        {ImportSource::Excel, excel("City", "", "Pune"), "SELECT Mobile FROM [Contacts]", ""},
        {ImportSource::Excel, excel("  ", "equals", "Pune"), "SELECT Mobile FROM [Contacts]", ""},
        {ImportSource::Excel, excel("City", "contains", "Pune"), "SELECT Mobile FROM [Contacts]", ""},
    };
    for (const auto &c : cases) {
        const ImportStatement built = buildImportStatement(c.source, c.request);
        EXPECT_EQ(built.statement.toStdString(), c.statement);
        EXPECT_EQ(built.fallback.toStdString(), c.fallback);
    }
    const std::pair<const char *, const char *> comparisons[] = {
        {"is greater than", ">"}, {"does not equal", "<>"},        {"is greater than or equal to", ">="},
        {"is less than", "<"},    {"is less than or equal to", "<="}};
    for (const auto &[condition, op] : comparisons) {
        const ImportStatement built = buildImportStatement(ImportSource::Excel, excel("Age", condition, "30"));
        EXPECT_EQ(built.statement, QStringLiteral("SELECT Mobile FROM [Contacts] WHERE Age %1 '30'").arg(op));
        EXPECT_EQ(built.fallback, QStringLiteral("SELECT Mobile FROM [Contacts] WHERE Age %1 30").arg(op));
    }
}

TEST(ValidationTest, FirstRefusalInOrder)
{
    const struct { ImportSource source; ImportRequest request; const char *message; } cases[] = {
        {ImportSource::Access, {"  ", "", "", "", "", ""},
         "Please specify the Access database file to import phone numbers."},
        {ImportSource::Access, {"a.mdb", "Suppliers", " ", "", "", ""},
         "You must specify the table name and the mobile number column name."},
        {ImportSource::Access, {"a.mdb", "My Table", "Mobile No", "Home City", "equals", ""}, ""},
        {ImportSource::Excel, {"", "Sheet1", "Mobile", "", "", ""}, "Please specify the excel file to import phone numbers."},
        {ImportSource::Excel, {"a.xls", "", "Mobile No", "", "", ""},
         "You must specify the worksheet name and the mobile number column name."},
        {ImportSource::Excel, {"a.xls", "Sheet1", " Mobile No ", "Home City", "equals", ""},
         "The mobile number column name should be one word without any space in it."},
        {ImportSource::Excel, {"a.xls", "Sheet1", " Mobile ", " Home City ", "equals", ""},
         "The filter column name should be one word without and space in it"},
        // An inactive filter's column is not looked at.
        {ImportSource::Excel, {"a.xls", "Sheet1", "Mobile", "Home City", "", ""}, ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(validateImportRequest(c.source, c.request).toStdString(), c.message)
            << c.request.numberColumn.toStdString() << "/" << c.request.filterColumn.toStdString();
}

TEST(SourceTextsTest, ConnectionStringsAndValueListStatementsAsTyped)
{
    // The path goes in exactly as typed, blanks included; nothing is added that it does not bring.
    EXPECT_EQ(accessConnectionString(QStringLiteral("C:\\data\\phones.mdb")).toStdString(),
              "DRIVER=MICROSOFT ACCESS DRIVER (*.MDB);DBQ=C:\\data\\phones.mdb;");
    EXPECT_EQ(excelConnectionString(QStringLiteral(" /x/a b.xls")).toStdString(),
              "DRIVER=MICROSOFT EXCEL DRIVER (*.XLS);DBQ= /x/a b.xls;");
    EXPECT_EQ(schemaConnectionString(QStringLiteral("/x/a.xls")).toStdString(),
              "Driver={Microsoft Excel Driver (*.xls)};DBQ=/x/a.xls; ");

    // The value lists keep names untrimmed and in their case; only Excel brackets the sheet.
    EXPECT_EQ(excelValueListStatement(QStringLiteral(" City"), QStringLiteral("Contacts$")).toStdString(),
              "SELECT distinct  City FROM [Contacts$] order by  City");
    EXPECT_EQ(accessValueListStatement(QStringLiteral("City "), QStringLiteral("customers")).toStdString(),
              "SELECT distinct City  FROM customers order by City ");
}

TEST(PhoneListSplitTest, SplitsAtWindowsAndLinuxLineEnds)
{
    const std::pair<const char *, QStringList> cases[] = {
        {"", {}},
        {"\r\n", {"", ""}},
        {"1\r\n2\r\n", {"1", "2", ""}},
        {"1\n2\r\n3", {"1", "2", "3"}},
        {"1\r2\r\n3", {"1\r2", "3"}},
        {"1\n\r2", {"1", "\r2"}},
    };
    for (const auto &[content, pieces] : cases)
        EXPECT_EQ(splitPhoneListLines(QString::fromLatin1(content)), pieces) << QByteArray(content).toHex().constData();
}

} // namespace
