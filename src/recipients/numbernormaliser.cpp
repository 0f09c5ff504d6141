#include "numbernormaliser.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>
#include <set>
#include <string>

// libphonenumber's headers bring protobuf and abseil along; they stay in this one file.
#include <phonenumbers/phonenumberutil.h>

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

namespace {

QString digitsOf(const QString &text)
{
    QString digits;
    for (const QChar c : text)
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits += c;
    return digits;
}

} // namespace

NumberNormaliser::NumberNormaliser(const QString &country)
{
    if (isNumberCountry(country))
        m_country = country.trimmed().toUpper();
}

QString NumberNormaliser::international(const QString &text) const
{
    if (!isOn())
        return {};
    const PhoneNumberUtil &util = *PhoneNumberUtil::GetInstance();
    PhoneNumber number;
    if (util.Parse(text.toStdString(), m_country.toStdString(), &number) != PhoneNumberUtil::NO_PARSING_ERROR)
        return {};
    // The possible-number test checks the length against the country's plan only. The
    // valid-number test would also refuse ranges allocated after this library's tables were
    // made (and those set aside for drama, 07700 900xxx), which operators do send to. A number
    // possible only locally (555-0123 in the US: no area code) has no international form.
    if (util.IsPossibleNumberWithReason(number) != PhoneNumberUtil::IS_POSSIBLE)
        return {};
    std::string formatted;
    util.Format(number, PhoneNumberUtil::E164, &formatted);
    return QString::fromStdString(formatted);
}

QString NumberNormaliser::key(const QString &text) const
{
    if (const QString cleaned = international(text); !cleaned.isEmpty())
        return cleaned;
    return digitsOf(text);
}

const QList<NumberCountry> &numberCountries()
{
    static const QList<NumberCountry> countries = [] {
        std::set<std::string> regions;
        PhoneNumberUtil::GetInstance()->GetSupportedRegions(&regions);
        QList<NumberCountry> list;
        for (const std::string &region : regions) {
            const QString code = QString::fromStdString(region);
            const QLocale::Territory territory = QLocale::codeToTerritory(code);
            list.append({code, territory == QLocale::AnyTerritory ? code : QLocale::territoryToString(territory)});
        }
        QCollator collator(QLocale::c());
        std::sort(list.begin(), list.end(), [&](const NumberCountry &a, const NumberCountry &b) {
            return collator.compare(a.name, b.name) < 0;
        });
        return list;
    }();
    return countries;
}

bool isNumberCountry(const QString &code)
{
    const QString wanted = code.trimmed().toUpper();
    return wanted.size() == 2
           && std::any_of(numberCountries().begin(), numberCountries().end(),
                          [&](const NumberCountry &c) { return c.code == wanted; });
}

QString numberCountryCaption(const QString &code)
{
    const QString wanted = code.trimmed().toUpper();
    for (const NumberCountry &country : numberCountries())
        if (country.code == wanted)
            return QStringLiteral("%1 (%2)").arg(country.name, country.code);
    return wanted;
}
