#include "phonenumber.h"

#include "common/numeric.h"

bool IsValidPhoneNumber(const QString &text, const QLocale &locale)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return false;
    if (trimmed.startsWith(QLatin1Char('+')))
        return IsNumericText(trimmed.mid(1), locale);
    return IsNumericText(trimmed, locale);
}
