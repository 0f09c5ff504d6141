// Our written test files against the independent ones in ../shared/fixtures: where both
// give the same listing, what the other tests assert on ours holds for files that Excel,
// Access and other writers made.
#include "dbtesthelpers.h"
#include "independentfiles.h"
#include "testfiles.h"

#include <gtest/gtest.h>

using namespace DbTest;

namespace {

struct SameShape
{
    const char *name;
    QString (*ours)();
    const char *theirs;
    QStringList tables;  // all when empty
    QStringList columns; // the values compared; all when empty
};

void PrintTo(const SameShape &c, std::ostream *out) { *out << c.name; }

// Each table's compared columns with their types, then their values row by row.
QStringList listing(const QString &path, QStringList tables, const QStringList &chosen)
{
    DbConnection c;
    c.open(path.endsWith(QLatin1String(".mdb")) ? accessString(path) : excelString(path));
    if (tables.isEmpty())
        tables = schemaNames(*c.openSchema(DbSchema::Tables), QStringLiteral("TABLE_NAME"));
    QStringList lines;
    for (const QString &table : tables) {
        QStringList names, types;
        auto schema = c.openSchema(DbSchema::Columns, {QString(), QString(), table, QString()});
        for (; !schema->eof(); schema->moveNext()) {
            const QString name = schema->fields(QStringLiteral("COLUMN_NAME")).value().toString();
            if (chosen.isEmpty() || chosen.contains(name)) {
                names << name;
                types << name + u':' + text(schema->fields(QStringLiteral("DATA_TYPE")).value());
            }
        }
        lines << table + QStringLiteral(": ") + types.join(u' ');
        if (names.isEmpty())
            continue;
        auto rows = c.execute(QStringLiteral("SELECT [%1] FROM [%2]").arg(names.join(QStringLiteral("], [")), table));
        for (; !rows->eof(); rows->moveNext()) {
            QStringList values;
            for (int i = 0; i < names.size(); ++i)
                values << text(rows->fields(i).value());
            lines << values.join(QStringLiteral(" | "));
        }
    }
    return lines;
}

const SameShape kShapes[] = {
    {"ContactsWorkbook", TestFiles::contactsXls, "excel/contacts.xls", {}, {}},
    {"BulkWorkbook", TestFiles::bulkXls, "excel/bulk.xls", {}, {}},
    {"NoHeaderWorkbook", TestFiles::noHeaderXls, "excel/no-header.xls", {}, {}},
    {"Excel95Workbook", TestFiles::excel95Xls, "excel/excel95.xls", {}, {}},
    // No independent .xlsx, .ods or .csv is kept: ours in those kinds must list as Excel's .xls.
    {"ContactsAsXlsx", [] { return TestFiles::contacts(TestFiles::SheetKind::Xlsx); }, "excel/contacts.xls", {}, {}},
    {"ContactsAsOds", [] { return TestFiles::contacts(TestFiles::SheetKind::Ods); }, "excel/contacts.xls", {}, {}},
    {"ContactsAsCsv", [] { return TestFiles::contacts(TestFiles::SheetKind::Csv); }, "excel/contacts.xls",
     {QStringLiteral("Contacts$")}, {}},
    // The sample database's other columns keep its own suppliers' data; its DateTest has
    // date and memo columns that our writer does not write, all Null.
    {"SuppliersJet3", TestFiles::contactsMdb, "access/nwind-contacts.mdb", {QStringLiteral("Suppliers")},
     {"SupplierID", "ContactName", "City", "Country", "Phone"}},
    {"DateTestJet4", TestFiles::dateTestMdb, "access/datetest-contacts.mdb", {QStringLiteral("DateTest")},
     {"IDCol", "ShortTextCol"}},
};

class SameListing : public IndependentFilesParamTest<SameShape> {};

TEST_P(SameListing, OursAndTheIndependentFileGiveTheSameListing)
{
    const SameShape &c = GetParam();
    const QString theirs = independentFile(QString::fromLatin1(c.theirs));
    ASSERT_FALSE(HasFailure());
    EXPECT_EQ(listing(c.ours(), c.tables, c.columns), listing(theirs, c.tables, c.columns));
}

INSTANTIATE_TEST_SUITE_P(IndependentFiles, SameListing, testing::ValuesIn(kShapes),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
