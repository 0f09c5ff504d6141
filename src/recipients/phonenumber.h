#pragma once

#include <QLocale>
#include <QString>

// The phone number test used on a typed number and by every import: after trimming the
// surrounding blanks (spaces only), a number is a numeric text, or "+" followed by a
// numeric text, with no other white space or control character anywhere in it.
// "Numeric" is the general locale-aware number test (sign, decimal and group separators,
// exponent), not a digits-only test: operators paste numbers in all of those shapes.
bool IsValidPhoneNumber(const QString &text, const QLocale &locale = QLocale());
