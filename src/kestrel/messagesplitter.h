#pragma once

#include "submitpdu.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Turns one text into the user data of one or more SMS by the long-message mode.
namespace gsm {

enum class LongMode { Truncate = 0, Split = 1, Formatted = 2, Concatenate = 3 };

struct MessagePart
{
    QByteArray header;    // information elements (concatenation), without UDHL
    QByteArray userData;  // septets one per byte for Gsm7, UTF-16 big-endian for Ucs2
    QString text;         // the characters of this part, for the log
};

// One SMS holds 160 septets or 70 UCS2 units. A concatenated part loses 6 octets to its
// header (UDHL + IEI + length + reference, total, sequence) = 48 bits, which is 7 septets
// once filled to a septet boundary: 153 septets, or 134 octets = 67 UCS2 units.
constexpr int kConcatSeptets = 153;
constexpr int kConcatUcs2Units = 67;
constexpr int kMaxParts = 255;

// coding is Gsm7 or Ucs2. concatReference goes into the header of concatenated parts.
// An escape pair or a surrogate pair is never cut in two.
QList<MessagePart> splitMessage(const QString &text, Coding coding, LongMode mode, int concatReference);

} // namespace gsm
