// Number and date columns compared with constants: the majority type of a mixed column,
// dates as dates, and a constant that does not fit as an error.
#include "dbtesthelpers.h"
#include "db/dberrors.h"
#include "sheetwriter.h"
#include "db/typedcomparisons.h"

#include <QDate>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace DbTest;

namespace {

const QHash<QString, DbColumnKind> kKinds = {
    {QStringLiteral("age"), DbColumnKind::Number}, {QStringLiteral("orderdate"), DbColumnKind::Date},
    {QStringLiteral("name"), DbColumnKind::Text}};

TEST(TypedComparisons, RewritesSimpleComparisonsOnly)
{
    const std::pair<const char *, const char *> rewritten[] = {
        {"SELECT a FROM [T] WHERE Age > '30'", "SELECT a FROM [T] WHERE quillo_compare(Age, '>', '30', 'n')"},
        {"SELECT a FROM T WHERE [T$].[Age]<>-3", "SELECT a FROM T WHERE quillo_compare([T$].[Age], '<>', -3, 'n')"},
        {"SELECT a FROM T WHERE '30' < Age", "SELECT a FROM T WHERE quillo_compare(Age, '>', '30', 'n')"},
        {"SELECT a FROM T WHERE OrderDate = '1994-08-04' AND Name = 'x'",
         "SELECT a FROM T WHERE quillo_compare(OrderDate, '=', '1994-08-04', 'd') AND Name = 'x'"},
        {"SELECT a FROM T WHERE not (Age != '5')", "SELECT a FROM T WHERE not (quillo_compare(Age, '<>', '5', 'n'))"},
    };
    // Left as written: text columns, expressions, other operators, strings and comments.
    const char *const unchanged[] = {
        "SELECT a FROM T WHERE Name > '30'",      "SELECT a FROM T WHERE Age + 1 > 30",
        "SELECT a FROM T WHERE x - 5 > Age",      "SELECT a FROM T WHERE Age BETWEEN 1 AND 5",
        "SELECT a FROM T WHERE Age like '3%'",    "SELECT a FROM T WHERE Name = 'Age > 30'",
        "SELECT a FROM T -- Age > 'x'\nWHERE 1",
    };
    const auto check = [](const char *statement, const char *expected) {
        const auto r = TypedComparisons::rewrite(QString::fromUtf8(statement), kKinds);
        EXPECT_EQ(r.statement, QString::fromUtf8(expected)) << statement;
        EXPECT_TRUE(r.mismatch.isEmpty()) << statement;
    };
    for (const auto &[statement, expected] : rewritten)
        check(statement, expected);
    for (const char *statement : unchanged)
        check(statement, statement);
}

TEST(TypedComparisons, ConstantsThatDoNotFitTheColumnAreNamed)
{
    const std::pair<const char *, const char *> cases[] = {
        {"SELECT a FROM T WHERE Age = 'abc'", "Age = 'abc'"},
        {"SELECT a FROM T WHERE Name = 'x' OR 'n/a' = AGE", "'n/a' = AGE"},
        {"SELECT a FROM T WHERE OrderDate = 'soon'", "OrderDate = 'soon'"},
        {"SELECT a FROM T WHERE OrderDate = '1994-02-30'", "OrderDate = '1994-02-30'"},
        {"SELECT a FROM T WHERE OrderDate > 1994", "OrderDate > 1994"},
    };
    for (const auto &[statement, mismatch] : cases)
        EXPECT_EQ(TypedComparisons::rewrite(QString::fromUtf8(statement), kKinds).mismatch, QString::fromUtf8(mismatch))
            << statement;
}

TEST(TypedComparisons, DatesInTheFormsTheSourcesAndOperatorsWrite)
{
    using TypedComparisons::parseDate;
    EXPECT_EQ(parseDate(QStringLiteral("1994-08-04")), parseDate(QStringLiteral("1994-08-04 00:00:00")));
    EXPECT_EQ(parseDate(QStringLiteral("8/4/1994")), parseDate(QStringLiteral("1994/08/04")));
    EXPECT_EQ(*parseDate(QStringLiteral("1994-08-04 10:30")) - *parseDate(QStringLiteral("1994-08-04")), 37800);
    EXPECT_EQ(*parseDate(QStringLiteral("1994-08-05")) - *parseDate(QStringLiteral("1994-08-04")), 86400);
    EXPECT_EQ(parseDate(QStringLiteral("13:45:00")), parseDate(QStringLiteral("1899-12-30 13:45")));
    for (const char *bad : {"", "1994", "1994-13-01", "31/12/1994", "1994-08-04 24:00", "tomorrow"})
        EXPECT_FALSE(parseDate(QString::fromLatin1(bad))) << bad;
}

// Age holds numbers and one "n/a"; OrderDate dates only.
const QList<XlsWriter::Sheet> kMixed = {
    {QStringLiteral("People"),
     {{"Name", "Age", "OrderDate"},
      {"Asha", 5, QDate(1994, 8, 4)},
      {"Vikram", 45, QDate(1994, 8, 5)},
      {"Meena", 100, QDate(2001, 1, 1)},
      {"Rahul", "n/a", QDate(1994, 8, 4)},
      {"Priya", 31, QDate(1996, 7, 4)}}},
};

class MixedColumns : public testing::TestWithParam<SheetWriter::Format> {};

TEST_P(MixedColumns, CompareByTheMajorityTypeAndDatesAsDates)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("people") + SheetWriter::suffix(GetParam()));
    ASSERT_TRUE(SheetWriter::writeFile(path, GetParam(), kMixed));
    DbConnection c;
    c.open(excelString(path));
    const std::pair<const char *, QStringList> cases[] = {
        {"SELECT Age FROM [People$]", {"5", "45", "100", "n/a", "31"}},
        {"SELECT Name FROM [People$] WHERE Age > '30'", {"Vikram", "Meena", "Priya"}},
        {"SELECT Name FROM [People$] WHERE Age > 30", {"Vikram", "Meena", "Priya"}},
        {"SELECT Name FROM [People$] WHERE Age <= '31'", {"Asha", "Priya"}},
        {"SELECT Name FROM [People$] WHERE not (Age > 30)", {"Asha"}},
        {"SELECT Name FROM [People$] WHERE OrderDate = '1994-08-04'", {"Asha", "Rahul"}},
        {"SELECT Name FROM [People$] WHERE OrderDate > '8/4/1994'", {"Vikram", "Meena", "Priya"}},
        {"SELECT Name FROM [People$] WHERE OrderDate < '1996-07-04 12:00'", {"Asha", "Vikram", "Rahul", "Priya"}},
    };
    for (const auto &[statement, expected] : cases)
        EXPECT_EQ(column0(c, QString::fromLatin1(statement)), expected) << statement;
    for (const char *statement : {"SELECT Name FROM [People$] WHERE Age = 'abc'",
                                  "SELECT Name FROM [People$] WHERE OrderDate = 'soon'"})
        expectError(DbErrors::kTypeMismatch, [&] { c.execute(QString::fromLatin1(statement)); }, statement);
}

INSTANTIATE_TEST_SUITE_P(Kinds, MixedColumns,
                         testing::Values(SheetWriter::Format::Xlsx, SheetWriter::Format::Ods, SheetWriter::Format::Csv),
                         [](const auto &info) { return SheetWriter::suffix(info.param).mid(1).toStdString(); });

// The .xls reader takes its column kinds from the same rule.
TEST(MixedColumns, XlsNumberColumnWithATextCellComparesNumerically)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("people.xls"));
    QList<QVariantList> rows;
    for (const QVariantList &row : kMixed.first().rows)
        rows.append(row.mid(0, 2));
    ASSERT_TRUE(XlsWriter::writeFile(path, XlsWriter::Format::Biff8, {{QStringLiteral("People"), rows}}));
    DbConnection c;
    c.open(excelString(path));
    EXPECT_EQ(column0(c, QStringLiteral("SELECT Name FROM [People$] WHERE Age > '30'")),
              QStringList({"Vikram", "Meena", "Priya"}));
    EXPECT_EQ(column0(c, QStringLiteral("SELECT Age FROM [People$]")), QStringList({"5", "45", "100", "n/a", "31"}));
}

// The sample database's Orders.OrderDate is a Date/Time column, as Access keeps it.
TEST(TypedComparisons, AccessDateColumnMatchesAQuotedDate)
{
    const QString path = independentFile(QStringLiteral("access/nwind-contacts.mdb"));
    if (testing::Test::IsSkipped() || testing::Test::HasFailure())
        return;
    DbConnection c;
    c.open(accessString(path));
    const QStringList all = column0(c, QStringLiteral("SELECT OrderDate FROM Orders"));
    ASSERT_FALSE(all.isEmpty());
    const QString day = all.first().left(10);
    const QStringList matched =
        column0(c, QStringLiteral("SELECT DISTINCT ORDERDATE FROM ORDERS WHERE ORDERDATE = '%1'").arg(day));
    EXPECT_EQ(matched, QStringList({all.first()}));
    expectError(DbErrors::kTypeMismatch,
                [&] { c.execute(QStringLiteral("SELECT ORDERID FROM ORDERS WHERE ORDERID = 'abc'")); });
}

} // namespace
