#include "importintake.h"

#include "common/dialogs.h"
#include "phonenumber.h"

namespace {

// The closing box names at most this many refused entries; it must fit on the screen.
constexpr int kRefusedNamed = 20;

} // namespace

void ImportIntake::take(const QString &candidate, const RecipientFields &fields)
{
    if (candidate.isEmpty())
        return;
    QString number = candidate;
    if (m_normaliser.isOn()) {
        number = m_normaliser.international(candidate);
        if (number.isEmpty()) {
            Refused.append(candidate);
            return;
        }
    } else if (!IsValidPhoneNumber(candidate)) {
        return;
    }
    if (m_list.IsNumberInList(number)) {
        DuplicateFound = true;
        return;
    }
    m_list.append(number, fields);
    NoNumberAdded = false;
}

QString ImportIntake::refusedText() const
{
    const QString country = numberCountryCaption(m_normaliser.country());
    QString text = Refused.size() == 1
                       ? QStringLiteral("1 entry is not a valid phone number for %1 and was not imported:").arg(country)
                       : QStringLiteral("%1 entries are not valid phone numbers for %2 and were not imported:")
                             .arg(Refused.size())
                             .arg(country);
    for (qsizetype i = 0; i < Refused.size() && i < kRefusedNamed; ++i)
        text += QStringLiteral("\r\n") + Refused.at(i);
    if (Refused.size() > kRefusedNamed)
        text += QStringLiteral("\r\n... and %1 more").arg(Refused.size() - kRefusedNamed);
    return text;
}

void ImportIntake::showClosingMessage(Dialogs &dialogs, const ImportClosingTexts &texts) const
{
    const QString refused = Refused.isEmpty() ? QString() : QStringLiteral("\r\n\r\n") + refusedText();
    if (NoNumberAdded)
        dialogs.exclamation(texts.empty + refused);
    else if (DuplicateFound)
        dialogs.information(texts.duplicates + refused);
    else if (!Refused.isEmpty())
        dialogs.information(refusedText());
}
