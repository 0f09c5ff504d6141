#include "common/numeric.h"

#include <gtest/gtest.h>

namespace {

struct NumericCase
{
    const char *text;
    bool numeric;
};

void PrintTo(const NumericCase &c, std::ostream *os)
{
    *os << '"' << c.text << '"';
}

class NumericTextTest : public testing::TestWithParam<NumericCase>
{
};

TEST_P(NumericTextTest, FollowsTheGeneralNumberTest)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(IsNumericText(QString::fromUtf8(GetParam().text), english), GetParam().numeric) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Forms, NumericTextTest,
                         testing::Values(NumericCase{"9812345678", true}, NumericCase{"  9812345678  ", true},
                                         NumericCase{"-12", true}, NumericCase{"+12", true},
                                         NumericCase{"1,234,567", true}, NumericCase{"12.5", true},
                                         NumericCase{".5", true}, NumericCase{"1e5", true},
                                         NumericCase{"1.5E-3", true}, NumericCase{"2D3", true},
                                         NumericCase{"", false}, NumericCase{"   ", false},
                                         NumericCase{"98123x5678", false}, NumericCase{"98123 45678", false},
                                         NumericCase{"++12", false}, NumericCase{"+", false},
                                         NumericCase{"1e", false}, NumericCase{"1.2.3", false},
                                         NumericCase{"12,", false}, NumericCase{",12", false},
                                         NumericCase{"١٢٣", false}, NumericCase{"1e999", false}));

TEST(NumericText, UsesTheLocaleSeparators)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_DOUBLE_EQ(*parseNumericText(QStringLiteral("1.234,5"), german), 1234.5);
    EXPECT_FALSE(IsNumericText(QStringLiteral("1,2,3"), german));
}

TEST(RoundHalfEven, WholeNumbers)
{
    EXPECT_EQ(roundHalfEven(2.5), 2.0);
    EXPECT_EQ(roundHalfEven(3.5), 4.0);
    EXPECT_EQ(roundHalfEven(-2.5), -2.0);
    EXPECT_EQ(roundHalfEven(2.6), 3.0);
    EXPECT_EQ(roundHalfEven(1.5), 2.0);
}

TEST(RoundHalfEven, DecimalPlacesJudgeTheWrittenDigits)
{
    EXPECT_DOUBLE_EQ(roundHalfEven(0.25, 1), 0.2);
    EXPECT_DOUBLE_EQ(roundHalfEven(0.35, 1), 0.4);
    EXPECT_DOUBLE_EQ(roundHalfEven(0.15, 1), 0.2);
    EXPECT_DOUBLE_EQ(roundHalfEven(2.45, 1), 2.4);
    EXPECT_DOUBLE_EQ(roundHalfEven(0.1234, 1), 0.1);
}

} // namespace
