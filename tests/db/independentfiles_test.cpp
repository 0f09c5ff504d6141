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
    const auto open = [](const QString &path) {
        return path.endsWith(QLatin1String(".mdb")) ? accessString(path) : excelString(path);
    };
    EXPECT_EQ(listing(open(c.ours()), c.tables, c.columns), listing(open(theirs), c.tables, c.columns));
}

INSTANTIATE_TEST_SUITE_P(IndependentFiles, SameListing, testing::ValuesIn(kShapes),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
