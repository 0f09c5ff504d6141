#pragma once

#include "common/comdetails.h"
#include "kestrel/smscomponent.h"

#include <QString>
#include <optional>

// How the stored settings texts become the values a modem operation hands its component.
// A text that is not a number of the needed size raises the QuilloError a conversion of
// the desktop tools would: 13 "Type mismatch" or 6 "Overflow".
namespace runvalues {


// A whole number in [min, max]; fractions round halves to even, as such conversions do.
qint64 toWhole(const QString &text, qint64 min, qint64 max);
inline qint16 toInt16(const QString &text) { return qint16(toWhole(text, -32768, 32767)); }
inline qint32 toInt32(const QString &text) { return qint32(toWhole(text, INT32_MIN, INT32_MAX)); }

// "1 Week" -> "1W", "12 Hour" -> "12H"; nothing when the trimmed text has no space after
// its first character.
std::optional<QString> validityCode(const QString &stored);
// cboLongMsg's text -> 0 to 3; nothing for any other text.
std::optional<int> longMessageCode(const QString &choice);
// Seconds with up to one decimal -> whole milliseconds.
qint32 sendDelayMs(const QString &seconds);

// The time limits every modem operation gives its component, for one answer and for connecting.
constexpr int kModemTimeoutMs = 30000;

// Writes the stored port parameters and PIN, in the order modems are set up:
// Port, BaudRate, DataBits, StopBits, Parity (first letter), CommTimeout, PIN, ConnectTimeout.
void writePortSettings(SmsComponent &modem, const ComDetails &stored);

} // namespace runvalues
