#include "phonenumber.h"

#include "common/numeric.h"
#include "common/text.h"

bool IsValidPhoneNumber(const QString &text, const QLocale &locale)
{
    // Only blanks are trimmed: a no-break space or a line end pasted along with a number
    // would stay in the entry and reach the modem.
    const QString trimmed = trimSpaces(text);
    if (trimmed.isEmpty())
        return false;
    // The numeric test skips white space around a number; a tab or a line end left after
    // the blanks are trimmed is part of the entry, and would be sent with the number.
    for (const QChar c : trimmed)
        if (c.isSpace() || c.category() == QChar::Other_Control)
            return false;
    if (trimmed.startsWith(QLatin1Char('+')))
        return IsNumericText(trimmed.mid(1), locale);
    return IsNumericText(trimmed, locale);
}
