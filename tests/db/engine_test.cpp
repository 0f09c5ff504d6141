#include "db/compoundfile.h"
#include "common/ansitext.h"
#include "dbtesthelpers.h"
#include "db/dberrors.h"
#include "db/dbsource.h"
#include "db/sourcemodule.h"
#include "db/statementtext.h"
#include "testfiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace DbTest;

namespace {

TEST(LikeMatch, PercentUnderscoreAndCaseBeyondAscii)
{
    const std::tuple<const char *, const char *, bool> cases[] = {
        {"98%", "9812345678", true}, {"98%", "+9198", false},      {"%78", "9812345687", false},
        {"RA%", "rahul", true},      {"%", "", true},              {"", "x", false},
        {"_", "", false},            {"_b%", "ab", true},          {"%a%b%", "xxaxxbxx", true},
        {"%a%b%", "xxbxxaxx", false}, {"a%%%c", "abbbc", true},    {"é%", "École", true},
        {"%ÜRICH", "Zürich", true},  {"अनि%", "अनिता शर्मा", true}, {"%.%", "a.b", true}};
    for (const auto &[pattern, text, match] : cases)
        EXPECT_EQ(SourceModule::likeMatch(QString::fromUtf8(pattern), QString::fromUtf8(text)), match)
            << pattern << " like " << text;
    EXPECT_TRUE(SourceModule::likeMatch(QStringLiteral("10!%%"), QStringLiteral("10% off"), u'!'));
    EXPECT_FALSE(SourceModule::likeMatch(QStringLiteral("10!%%"), QStringLiteral("100 off"), u'!'));
    // A pattern built to force exponential backtracking finishes at once.
    EXPECT_FALSE(SourceModule::likeMatch(QString(30, u'%') + u'b', QString(5000, u'a')));
}

TEST(SelectListCheck, BareAliasesRefusedAsTheDesktopDriversDid)
{
    const std::pair<const char *, const char *> cases[] = { // the alias refused; empty: accepted
        {"SELECT distinct Home City FROM T order by Home City", "Home City"},
        {"SELECT a, b c FROM T", "b c"},
        {"SELECT f(x) y FROM T", "f ( x ) y"},
        {"SELECT [Mobile No] FROM T", ""},
        {"SELECT Mobile AS No FROM T", ""},
        {"SELECT Mobile FROM [Contacts] WHERE not (Name like 'O'Brien%')", ""},
        {"SELECT count(*), max(Age) FROM T", ""},
        {"SELECT 'a b', NULL FROM T", ""},
        {"SELECT CASE WHEN a THEN 1 ELSE 2 END FROM T", ""},
        {"SELECT Mobile", ""},
    };
    for (const auto &[statement, alias] : cases)
        EXPECT_EQ(StatementText::implicitAlias(QString::fromUtf8(statement)), QString::fromUtf8(alias)) << statement;
}

// Case is ignored beyond ASCII in comparisons and patterns, and value lists (SELECT distinct
// ... order by) sort by the Unicode collation: accented letters with their bare letter.
TEST(TextComparison, CaseIgnoredBeyondAsciiAndValueListsSortByTheUnicodeCollation)
{
    DbConnection c;
    c.open(excelString(testData(QStringLiteral("headings.xls"))));
    const std::pair<const char *, QStringList> cases[] = {
        {"SELECT Mobile FROM [Cases$] WHERE City = 'école'", {"9800000001", "9800000002"}},
        {"SELECT Mobile FROM [Cases$] WHERE City like 'zü%'", {"9800000003", "9800000004"}},
        {"SELECT Mobile FROM [Cases$] WHERE City > 'p' AND City < 'Q'", {"9800000005", "9800000006"}},
    };
    for (const auto &[statement, expected] : cases)
        EXPECT_EQ(column0(c, QString::fromUtf8(statement)), expected) << statement;

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString cities = dir.filePath(QStringLiteral("cities.csv"));
    writeFileBytes(cities, "City\nपुणे\nZürich\npune\nÄngelholm\nÉcole\nzebra\nÅlesund\nPUNE\nécu\nDelhi\nagra\n"
               "a b\nab\n10\n9 lives\nO'Brien\nobrien\n");
    c.close();
    c.open(excelString(cities));
    EXPECT_EQ(column0(c, QStringLiteral("SELECT distinct City FROM [cities$] order by City")),
              QStringList({"10", "9 lives", "a b", "ab", "agra", "Ålesund", "Ängelholm", "Delhi", "École", "écu",
                           "O'Brien", "obrien", "pune", "zebra", "Zürich", "पुणे"}));
}

TEST(RecordSetContract, ForwardOnlyStatesAndErrors)
{
    DbConnection c;
    EXPECT_EQ(c.state(), kDbStateClosed);
    expectError(DbErrors::kObjectClosed, [&] { c.execute(QStringLiteral("SELECT 1")); });
    c.open(excelString(TestFiles::contactsXls()));
    expectError(DbErrors::kObjectOpen, [&] { c.open(); });

    auto rs = c.execute(QStringLiteral("SELECT Phone FROM [Sheet3$]"));
    EXPECT_EQ(rs->recordCount(), -1); // streamed
    expectError(DbErrors::kItemNotFound, [&] { rs->fields(QStringLiteral("Nope")); });
    expectError(DbErrors::kItemNotFound, [&] { rs->fields(1); });
    c.close(); // the record set keeps reading what it was given
    int rows = 0;
    for (; !rs->eof(); rs->moveNext())
        ++rows;
    EXPECT_EQ(rows, 3);
    expectError(DbErrors::kNoCurrentRecord, [&] { rs->fields(0); });
    expectError(DbErrors::kNoCurrentRecord, [&] { rs->moveNext(); });
    rs->close();
    EXPECT_EQ(rs->state(), kDbStateClosed);
    expectError(DbErrors::kObjectClosed, [&] { rs->eof(); });

    DbConnection client;
    client.setCursorLocation(DbCursorLocation::Client);
    client.open(excelString(TestFiles::contactsXls()));
    EXPECT_EQ(client.execute(QStringLiteral("SELECT Mobile FROM [Contacts$] WHERE Age > 30"))->recordCount(), 7);
    expectError(DbErrors::kSchemaNotSupported, [&] { client.openSchema(static_cast<DbSchema>(12)); });

    DbConnection other;
    other.setProvider(QStringLiteral("Microsoft.Jet.OLEDB.4.0"));
    expectError(DbErrors::kProviderNotFound,
                [&] { other.open(excelString(TestFiles::contactsXls())); });
    EXPECT_EQ(other.state(), kDbStateClosed);
}

// Under 4096 bytes, the workbook stream sits in the compound file's mini stream; FreeXL
// falls back on a container copy for it.
TEST(CompoundFileCopy, MiniStreamWorkbookAndItsCopyRead)
{
    DbConnection original;
    original.open(excelString(testData(QStringLiteral("ministream.xls"))));
    EXPECT_EQ(column0(original, QStringLiteral("SELECT Mobile FROM [Phones$] WHERE City = 'PUNE'")),
              QStringList({"9812345678", "9812345680"}));

    QString name;
    const QByteArray workbook = CompoundFile::readStream(readFileBytes(testData(QStringLiteral("ministream.xls"))), {QStringLiteral("Workbook")}, &name);
    EXPECT_EQ(name, QStringLiteral("Workbook"));
    ASSERT_LT(workbook.size(), 4096);
    EXPECT_EQ(workbook.left(2), QByteArray("\x09\x08", 2)); // a BIFF8 BOF record

    const QByteArray copy = CompoundFile::writeSingleStream(name, workbook);
    const QByteArray back = CompoundFile::readStream(copy, {QStringLiteral("workbook")});
    ASSERT_GE(back.size(), 4096);
    EXPECT_EQ(back.left(workbook.size()), workbook);
    EXPECT_EQ(back.mid(workbook.size()), QByteArray(back.size() - workbook.size(), '\0'));

    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString path = tmp.filePath(QStringLiteral("copy.xls"));
    writeFileBytes(path, copy);
    DbConnection c;
    c.open(excelString(path));
    EXPECT_EQ(column0(c, QStringLiteral("SELECT Mobile FROM [Phones$]")),
              QStringList({"9812345678", "9812345679", "9812345680"}));

    for (const QByteArray &bad : {QByteArray(), QByteArray(600, 'x'), copy.left(700)})
        expectError(DbErrors::kOpenFailed, [&] { CompoundFile::readStream(bad, {QStringLiteral("Workbook")}); });
}

} // namespace
