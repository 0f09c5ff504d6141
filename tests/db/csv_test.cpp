// Comma-separated files as the Excel connection reads them: one worksheet named after the
// file, RFC 4180 quoting, the separator and the encoding found from the bytes.
#include "dbtesthelpers.h"
#include "common/ansitext.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace DbTest;

namespace {

struct CsvCase
{
    const char *name;
    QByteArray bytes;
    QStringList listing; // as DbTest::listing gives it
};

void PrintTo(const CsvCase &c, std::ostream *out) { *out << c.name; }

const CsvCase kCases[] = {
    {"Utf8WithBomAndCrlf", "\xEF\xBB\xBFName,Mobile\r\nअनिता,9812345678\r\nAsha,9812345679\r\n",
     {"phones$: Name:202 Mobile:5", "अनिता | 9812345678", "Asha | 9812345679"}},
    {"Windows1252WithSemicolons", "Name;City\nJos\xE9;Z\xFCrich\n\x80uro \x93q\x94;x\n",
     {"phones$: Name:202 City:202", "José | Zürich", "€uro “q” | x"}},
    {"QuotedSeparatorQuoteAndLineBreak", "Name,Note\n\"Rao, Asha\",\"said \"\"hi\"\"\nthen left\"\n",
     {"phones$: Name:202 Note:202", "Rao, Asha | said \"hi\"\nthen left"}},
    {"LeadingZeroAndPlusStayText", "Mobile\n09812345681\n+919812345682\n9812345678\n",
     {"phones$: Mobile:202", "09812345681", "+919812345682", "9812345678"}},
    {"QuotedDigitsAreText", "Mobile\n\"9812345678\"\n\"9812345679\"\n9812345680\n",
     {"phones$: Mobile:202", "9812345678", "9812345679", "9812345680"}},
    {"FractionsAndNegativesAreNumbers", "Total\n2.5\n-3\n0.25\n", {"phones$: Total:5", "2.5", "-3", "0.25"}},
    {"IsoDatesMakeADateColumn", "Joined,Note\n1994-08-04,2020-01-02\n2020-01-02 13:45:00,x\n",
     {"phones$: Joined:7 Note:202", "1994-08-04 | 2020-01-02", "2020-01-02 13:45:00 | x"}},
    {"BlankLinesSkippedShortRowsNull", "A,B\n\n1\n2,3,4\n", {"phones$: A:5 B:5 F3:5", "1 | <null> | <null>", "2 | 3 | 4"}},
    {"BlankHeadingsAndRepeats", ",Mobile,mobile\n1,2,3\n", {"phones$: F1:5 Mobile:5 mobile1:5", "1 | 2 | 3"}},
    {"SemicolonOnlyWhenItOutnumbersCommas", "A;B,C\n1;2,3\n", {"phones$: A;B:202 C:5", "1;2 | 3"}},
    {"SeparatorInsideQuotesNotCounted", "\"A;B;C\",D\n1,2\n", {"phones$: A;B;C:5 D:5", "1 | 2"}},
    {"UnclosedQuoteRunsToTheEnd", "A\n\"abc\ndef", {"phones$: A:202", "abc\ndef"}},
    {"HeadingWithoutLineEnd", "Mobile", {"phones$: Mobile:202"}},
    {"EmptyFileHasNoColumns", "", {"phones$: "}},
};

class CsvFiles : public testing::TestWithParam<CsvCase> {};

TEST_P(CsvFiles, ReadAsOneWorksheet)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("phones.csv"));
    writeFileBytes(path, GetParam().bytes);
    EXPECT_EQ(listing(excelString(path), {QStringLiteral("phones$")}), GetParam().listing);
}

INSTANTIATE_TEST_SUITE_P(Csv, CsvFiles, testing::ValuesIn(kCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
