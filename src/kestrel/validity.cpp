#include "validity.h"

namespace gsm {

int validityMinutes(int vp)
{
    // The octet covers four ranges of growing steps: 5 minutes up to 12 hours, 30 minutes
    // up to a day, days up to 30 days, then weeks up to 63 weeks.
    if (vp <= 143)
        return (vp + 1) * 5;
    if (vp <= 167)
        return 12 * 60 + (vp - 143) * 30;
    if (vp <= 196)
        return (vp - 166) * 24 * 60;
    return (vp - 192) * 7 * 24 * 60;
}

std::optional<int> relativeValidity(const QString &code)
{
    const QString trimmed = code.trimmed().toUpper();
    if (trimmed.size() < 2)
        return std::nullopt;
    const QString digits = trimmed.left(trimmed.size() - 1);
    for (const QChar ch : digits) {
        if (!ch.isDigit())
            return std::nullopt;
    }
    if (digits.size() > 9)
        return 255;
    const qint64 count = digits.toLongLong();
    if (count <= 0)
        return std::nullopt;
    qint64 unitMinutes = 0;
    switch (trimmed.back().unicode()) {
    case 'H': unitMinutes = 60; break;
    case 'D': unitMinutes = 24 * 60; break;
    case 'W': unitMinutes = 7 * 24 * 60; break;
    case 'M': unitMinutes = 30 * 24 * 60; break;
    default: return std::nullopt;
    }
    const qint64 minutes = count * unitMinutes;
    for (int vp = 0; vp <= 255; ++vp) {
        if (validityMinutes(vp) >= minutes)
            return vp;
    }
    return 255; // longer than 63 weeks: the longest the octet can say
}

} // namespace gsm
