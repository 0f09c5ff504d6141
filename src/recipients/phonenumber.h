#pragma once

#include <QLocale>
#include <QString>

// The phone number test used on a typed number and by every import: after trimming the
// surrounding blanks, a number is a numeric text, or "+" followed by a numeric text.
// "Numeric" is the general locale-aware number test (sign, decimal and group separators,
// exponent), not a digits-only test: operators paste numbers in all of those shapes.
bool IsValidPhoneNumber(const QString &text, const QLocale &locale = QLocale());
