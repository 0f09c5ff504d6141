// What the zip-based workbooks hold beyond contacts.xls's texts and numbers: dates,
// formulas with their last results, booleans, and a Mac workbook's dates.
#include "dbtesthelpers.h"
#include "sheetwriter.h"

#include <QDate>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace DbTest;

namespace {

QVariantMap formula(const char *text, const QVariant &result)
{
    return {{QStringLiteral("formula"), QString::fromLatin1(text)}, {QStringLiteral("value"), result}};
}

const QList<XlsWriter::Sheet> kOrders = {
    {QStringLiteral("Orders"),
     {{"Mobile", "OrderDate", "Total", "Paid", "Label"},
      {9812345678.0, QDate(1994, 8, 4), formula("3+4", 7.0), true, formula("\"Pune\"&\"-1\"", "Pune-1")},
      {9812345679.0, QDateTime(QDate(2020, 1, 2), QTime(13, 45, 0)), 2.5, false, "Delhi"},
      {9812345680.0, QDate(2001, 12, 31), formula("1/4", 0.25), QVariant(), QVariant()}}},
};

class WorkbookValues : public testing::TestWithParam<SheetWriter::Format>
{
protected:
    QString written(SheetWriter::Zip zip = SheetWriter::Zip::Stored)
    {
        const QString path = m_dir.filePath(QStringLiteral("orders%1").arg(int(zip)) + SheetWriter::suffix(GetParam()));
        EXPECT_TRUE(SheetWriter::writeFile(path, GetParam(), kOrders, zip));
        return path;
    }
    QTemporaryDir m_dir;
};

// Office programs deflate the zip entries; what reads stored must read deflated the same.
TEST_P(WorkbookValues, DatesFormulasAndBooleansAsShownStoredOrDeflated)
{
    // liborcus 0.17 drops OpenDocument's booleans and a formula's text result.
    const bool ods = GetParam() == SheetWriter::Format::Ods;
    const std::pair<const char *, QStringList> cases[] = {
        {"SELECT OrderDate FROM [Orders$]", {"1994-08-04", "2020-01-02 13:45:00", "2001-12-31"}},
        {"SELECT Total FROM [Orders$]", {"7", "2.5", "0.25"}},
        {"SELECT Label FROM [Orders$]", {ods ? "<null>" : "Pune-1", "Delhi", "<null>"}},
        {"SELECT Paid FROM [Orders$]", ods ? QStringList{"<null>", "<null>", "<null>"} : QStringList{"1", "0", "<null>"}},
        {"SELECT Mobile FROM [Orders$] WHERE Total > 1", {"9812345678", "9812345679"}},
    };
    for (const SheetWriter::Zip zip : {SheetWriter::Zip::Stored, SheetWriter::Zip::Deflated}) {
        DbConnection c;
        c.open(excelString(written(zip)));
        for (const auto &[statement, expected] : cases)
            EXPECT_EQ(column0(c, QString::fromLatin1(statement)), expected) << statement << " zip " << int(zip);
        auto columns = c.openSchema(DbSchema::Columns, {QString(), QString(), QStringLiteral("Orders$"), QString()});
        EXPECT_EQ(schemaNames(*columns, QStringLiteral("DATA_TYPE")),
                  QStringList({"5", "7", "5", ods ? "202" : "5", "202"}));
    }
}

INSTANTIATE_TEST_SUITE_P(Zipped, WorkbookValues,
                         testing::Values(SheetWriter::Format::Xlsx, SheetWriter::Format::Xlsm, SheetWriter::Format::Ods),
                         [](const auto &info) { return SheetWriter::suffix(info.param).mid(1).toStdString(); });

} // namespace
