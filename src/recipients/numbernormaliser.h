#pragma once

#include <QList>
#include <QString>

// Clean numbers: the setting "Country for local numbers" and what follows from it. With a
// country set, every number added or imported is read by libphonenumber as a number of that
// country and kept in its international form (E.164: "+", the country code, the national
// number, no spaces: 9812345678, 09812345678 and +91 98123 45678 are all +919812345678 for
// India), so two spellings of one number are one number. With none set the normaliser is
// off and the plain number test (phonenumber.h) holds.
//
// A value type: it holds the country's code only (libphonenumber's tables are shared by
// the process), so it is cheap to copy into each import or run.
class NumberNormaliser
{
public:
    NumberNormaliser() = default; // off
    // country: a two-letter region code in any case ("IN", "gb"); an empty or unknown code
    // leaves the normaliser off.
    explicit NumberNormaliser(const QString &country);

    bool isOn() const { return !m_country.isEmpty(); }
    // The code in capitals, or empty when off.
    QString country() const { return m_country; }

    // text as a number of the country in international form, or empty text when libphonenumber
    // cannot read it as a number or says no number could look like it (too short or too long
    // for the country, or a local number without its area code). Empty whenever the
    // normaliser is off.
    QString international(const QString &text) const;

    // What two spellings of one number share, for comparing numbers (the opt-out list): the
    // international form when the normaliser is on and gives one, else the digits of text
    // alone ("+91 98123-45678" -> "919812345678"); empty when text holds no digit.
    QString key(const QString &text) const;

private:
    QString m_country;
};

struct NumberCountry
{
    QString code; // "IN"
    QString name; // "India", or the code when the system knows no name for it
};

// Every country libphonenumber has numbering plans for, ordered by name.
const QList<NumberCountry> &numberCountries();
// True for a two-letter code (any case) of numberCountries().
bool isNumberCountry(const QString &code);
// "India (IN)", as the Settings tab lists it and the messages name it.
QString numberCountryCaption(const QString &code);
