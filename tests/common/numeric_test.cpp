#include "common/numeric.h"

#include <gtest/gtest.h>

namespace {

TEST(NumericText, FollowsTheGeneralNumberTestInTheLocalesNotation)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const std::pair<const char *, bool> cases[] = {
        {"9812345678", true}, {"  9812345678  ", true}, {"-12", true},      {"+12", true},  {"1,234,567", true},
        {"12.5", true},       {".5", true},             {"1e5", true},      {"1.5E-3", true}, {"2D3", true},
        {"", false},          {"   ", false},           {"98123x5678", false}, {"98123 45678", false},
        {"++12", false},      {"+", false},             {"1e", false},      {"1.2.3", false}, {"12,", false},
        {",12", false},       {"1.5,0", false},         {"١٢٣", false}, {"1e999", false},
    };
    for (const auto &[text, numeric] : cases)
        EXPECT_EQ(IsNumericText(QString::fromUtf8(text), english), numeric) << '"' << text << '"';

    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_DOUBLE_EQ(*parseNumericText(QStringLiteral("1.234,5"), german), 1234.5);
    EXPECT_FALSE(IsNumericText(QStringLiteral("1,2,3"), german));
}

// Halves go to the even neighbour, judged on the digits as written (0.15 is below a half
// in binary, yet rounds to 0.2).
TEST(RoundHalfEven, WholeNumbersAndDecimalPlaces)
{
    const std::tuple<double, int, double> cases[] = {
        {2.5, 0, 2.0},   {3.5, 0, 4.0},   {-2.5, 0, -2.0}, {2.6, 0, 3.0},   {1.5, 0, 2.0},
        {0.25, 1, 0.2},  {0.35, 1, 0.4},  {0.15, 1, 0.2},  {2.45, 1, 2.4},  {0.1234, 1, 0.1},
    };
    for (const auto &[value, places, rounded] : cases)
        EXPECT_DOUBLE_EQ(places ? roundHalfEven(value, places) : roundHalfEven(value), rounded) << value;
}

} // namespace
