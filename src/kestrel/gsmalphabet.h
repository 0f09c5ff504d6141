#pragma once

#include <QByteArray>
#include <QString>

// The GSM 7-bit default alphabet and its extension table. Septet values are kept one per
// byte here; packing them into octets is a separate step (septets.h).
namespace gsm {

constexpr char kEscape = 0x1B;
constexpr int kSeptetsPerSms = 160;
constexpr int kUcs2UnitsPerSms = 70;

// The septet of a character in the default table, or -1 when it is not there.
int defaultSeptet(char16_t ch);
// The septet after the escape for a character of the extension table, or -1.
int extensionSeptet(char16_t ch);
// Septets the character takes: 1, 2 for an extension character, 0 when the alphabet lacks it.
int septetCount(char16_t ch);

// Text to septets; characters the alphabet lacks become "?".
QByteArray toSeptets(const QString &text);
// Septets back to text (an escape before an unknown extension value reads as a space,
// as the standard asks of receivers).
QString fromSeptets(const QByteArray &septets);

// How many septets the text needs once characters the alphabet lacks have become "?".
int septetLength(const QString &text);

// True when every character is in the default alphabet or its extension.
bool isRepresentable(const QString &text);

} // namespace gsm
