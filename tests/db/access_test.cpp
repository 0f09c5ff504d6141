#include "dbtesthelpers.h"
#include "db/dberrors.h"
#include "testfiles.h"

#include <gtest/gtest.h>

using namespace DbTest;

namespace {

// The same database as Access 97 (.mdb, Jet 3) and Access 2007 (.accdb, ACE 12).
class AccessFiles : public testing::TestWithParam<QString (*)()> {};

INSTANTIATE_TEST_SUITE_P(Formats, AccessFiles, testing::Values(TestFiles::contactsMdb, TestFiles::contactsAccdb),
                         [](const auto &info) { return std::string(info.index == 0 ? "Mdb" : "Accdb"); });

TEST_P(AccessFiles, ListsUserTablesOnlyAndTheirColumns)
{
    DbConnection c;
    c.open(accessString(GetParam()()));
    auto tables = c.openSchema(DbSchema::Tables);
    EXPECT_EQ(schemaNames(*tables, QStringLiteral("TABLE_NAME")), QStringList({"Suppliers", "Customers", "Umsätze"}));

    auto columns = c.openSchema(DbSchema::Columns, {QString(), QString(), QStringLiteral("suppliers"), QString()});
    EXPECT_EQ(schemaNames(*columns, QStringLiteral("COLUMN_NAME")),
              QStringList({"SupplierID", "CompanyName", "ContactName", "ContactTitle", "Address", "City", "Region",
                           "PostalCode", "Country", "Phone", "Fax", "HomePage"}));
}

// The statements as the import writes them; rows compared sorted, as DISTINCT does not
// promise an order.
TEST_P(AccessFiles, StatementsGiveTheExpectedRows)
{
    const std::pair<const char *, QStringList> cases[] = {
        {"SELECT DISTINCT PHONE FROM SUPPLIERS",
         {"9812345678", "+919876543210", "9812345679", "n/a", "<null>", "98123 45680", "09812345681",
          "919812345682", "'9812345683", "+91-98123-45684", "+9779812345685"}},
        {"SELECT DISTINCT PHONE FROM SUPPLIERS WHERE City = 'pune'", {"9812345678"}},
        {"SELECT DISTINCT PHONE FROM SUPPLIERS WHERE SupplierID > '10'", {"+91-98123-45684", "+9779812345685"}},
        {"SELECT DISTINCT PHONE FROM SUPPLIERS WHERE SupplierID >= 11", {"+91-98123-45684", "+9779812345685"}},
        {"SELECT DISTINCT PHONE FROM SUPPLIERS WHERE Country <> 'INDIA'", {"+9779812345685"}},
        {"SELECT DISTINCT PHONE FROM SUPPLIERS WHERE not (ContactName like 'ra%')",
         {"9812345678", "+919876543210", "9812345679", "<null>", "98123 45680", "09812345681",
          "919812345682", "'9812345683", "+91-98123-45684"}},
        {"SELECT DISTINCT PHONE FROM SUPPLIERS WHERE ContactName like '%gomes'", {"09812345681"}},
        {"SELECT DISTINCT PHONE FROM CUSTOMERS WHERE City = 'london'",
         {"+447700900101", "+447700900103", "<null>"}},
        {"SELECT distinct City FROM Suppliers order by City",
         {"Chennai", "Delhi", "Goa", "Hyderabad", "Kathmandu", "Kolkata", "Mumbai", "Panaji",
          "Pune"}},
        // The Access import upper-cases its whole statement; names beyond ASCII must still match.
        {"SELECT DISTINCT SHIPCITY FROM UMSÄTZE WHERE SHIPCOUNTRY = 'france'", {"Lyon", "Marseille", "Paris"}},
    };
    DbConnection c;
    c.open(accessString(GetParam()()));
    for (const auto &[statement, expected] : cases)
        EXPECT_EQ(sorted(column0(c, QString::fromUtf8(statement))), sorted(expected)) << statement;
}

// Two record sets read the same file at once; each must keep its own place.
TEST(AccessValues, InterleavedRecordSetsAndSelfJoinKeepTheirPlace)
{
    DbConnection c;
    c.open(accessString(TestFiles::contactsMdb()));
    const QStringList suppliers = column0(c, QStringLiteral("SELECT Phone FROM Suppliers"));
    const QStringList customers = column0(c, QStringLiteral("SELECT Phone FROM Customers"));
    ASSERT_EQ(customers.size(), 6);

    auto a = c.execute(QStringLiteral("SELECT Phone FROM Suppliers"));
    auto b = c.execute(QStringLiteral("SELECT Phone FROM Customers"));
    QStringList seenA, seenB;
    for (; !a->eof(); a->moveNext()) {
        seenA << text(a->fields(0).value());
        if (!b->eof()) {
            seenB << text(b->fields(0).value());
            b->moveNext();
        }
    }
    EXPECT_EQ(seenA, suppliers);
    EXPECT_EQ(seenB, customers);

    EXPECT_EQ(column0(c, QStringLiteral("SELECT a.Phone FROM Suppliers a, Suppliers b "
                                        "WHERE a.SupplierID = b.SupplierID")),
              suppliers);
}

TEST(AccessFailures, RejectedStatementsAndMissingFiles)
{
    DbConnection c;
    c.open(accessString(TestFiles::contactsMdb()));
    for (const char *statement : {"SELECT DISTINCT MOBILE NO FROM SUPPLIERS", "SELECT distinct City FROM  order by City",
                                  "SELECT DISTINCT PHONE FROM NOTHERE",
                                  "SELECT DISTINCT PHONE FROM SUPPLIERS WHERE City = 'O'Brien'"})
        expectError(0, [&] { c.execute(QLatin1String(statement)); }, QLatin1String(statement));

    DbConnection missing;
    try {
        missing.open(accessString(QStringLiteral("/nonexistent/phones.mdb")));
        ADD_FAILURE() << "opened a missing file";
    } catch (const QuilloError &e) {
        EXPECT_EQ(e.number(), DbErrors::kOpenFailed);
        EXPECT_TRUE(e.description().contains(QStringLiteral("/nonexistent/phones.mdb")));
        EXPECT_EQ(e.source(), DbErrors::kSourceAccess);
    }
    EXPECT_EQ(missing.state(), kDbStateClosed);
}

} // namespace
