#pragma once

#include <QLocale>
#include <QString>
#include <optional>

// The general number test users know from desktop tools: surrounding blanks, one leading
// sign, the locale's decimal separator, digit-group separators between digits and an
// exponent pass; an empty text, an inner blank or a stray letter fail.
std::optional<double> parseNumericText(const QString &text, const QLocale &locale = QLocale());
bool IsNumericText(const QString &text, const QLocale &locale = QLocale());

// Nearest whole number, halves to the even number (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
double roundHalfEven(double value);
// The same to the given number of decimal places, judged on the decimal digits as written,
// so 0.25 rounds to 0.2 and 0.35 to 0.4.
double roundHalfEven(double value, int decimals);
