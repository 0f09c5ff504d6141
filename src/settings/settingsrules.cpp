#include "settingsrules.h"

#include "common/error.h"
#include "common/errornumbers.h"
#include "common/numeric.h"

#include <limits>

namespace SettingsRules {

namespace {

QStringList makeComPorts()
{
    QStringList ports;
    for (int n = 1; n <= 256; ++n)
        ports << QStringLiteral("COM%1").arg(n);
    return ports;
}


void defaultWhenEmpty(QString &value, const QString &fallback)
{
    if (value.isEmpty())
        value = fallback;
}

// The 16-bit whole-number conversion the levels go through: nearest, halves to even.
int toInteger16(double value)
{
    const double rounded = roundHalfEven(value);
    if (rounded < std::numeric_limits<qint16>::min() || rounded > std::numeric_limits<qint16>::max())
        throw QuilloError(ErrorNumber::kOverflow, QStringLiteral("Overflow"));
    return int(rounded);
}

QString numberText(double value, const QLocale &locale)
{
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(value, 'g', 15);
}

} // namespace

const QStringList &comPortChoices()
{
    static const QStringList ports = makeComPorts();
    return ports;
}

const QStringList &baudRateChoices()
{
    static const QStringList list{"300", "1200", "2400", "4800", "9600", "14400", "19200", "38400", "57600", "115200"};
    return list;
}

const QStringList &dataBitsChoices()
{
    static const QStringList list{"4", "5", "6", "7", "8"};
    return list;
}

const QStringList &parityChoices()
{
    static const QStringList list{"None", "Odd", "Even", "Mark", "Space"};
    return list;
}

const QStringList &stopBitsChoices()
{
    static const QStringList list{"1", "1.5", "2"};
    return list;
}

const QStringList &validityChoices()
{
    static const QStringList list{"1 Hour", "6 Hour", "12 Hour", "1 Day",  "2 Day",  "3 Day",  "4 Day",
                                  "5 Day",  "6 Day",  "1 Week",  "2 Week", "3 Week", "1 Month"};
    return list;
}

const QStringList &longMessageChoices()
{
    static const QStringList list{"Truncate", "Split (Normal)", "Split (Formatted)", "Concatenate"};
    return list;
}

void applyLoadDefaults(ComDetails &details)
{
    defaultWhenEmpty(details.Port, kDefaultPort);
    defaultWhenEmpty(details.BaudRate, kDefaultBaudRate);
    defaultWhenEmpty(details.DataBits, kDefaultDataBits);
    defaultWhenEmpty(details.StopBits, kDefaultStopBits);
    defaultWhenEmpty(details.Parity, kDefaultParity);
    defaultWhenEmpty(details.Validity, kDefaultValidity);
    defaultWhenEmpty(details.SendDelay, kDefaultSendDelay);
    defaultWhenEmpty(details.SendRetry, kDefaultSendRetry);
    defaultWhenEmpty(details.LongMsg, kDefaultLongMsg);
}

void applyLoadDefaults(ModemPort &modem)
{
    defaultWhenEmpty(modem.BaudRate, kDefaultBaudRate);
    defaultWhenEmpty(modem.DataBits, kDefaultDataBits);
    defaultWhenEmpty(modem.StopBits, kDefaultStopBits);
    defaultWhenEmpty(modem.Parity, kDefaultParity);
}

QString normalisedLogLevel(const QString &stored, const QLocale &locale)
{
    const std::optional<double> value = parseNumericText(stored, locale);
    if (!value)
        return QStringLiteral("0");
    const int level = toInteger16(*value);
    return level < 0 || level > 2 ? QStringLiteral("0") : stored;
}

int logLevelIndex(const QString &normalised, const QLocale &locale)
{
    const std::optional<double> value = parseNumericText(normalised, locale);
    return value ? toInteger16(*value) : 0;
}

QString saveRefusal(bool portChosen, bool internalSmsc, const QString &smsc)
{
    if (!portChosen)
        return QStringLiteral("Select COM Port !");
    if (internalSmsc)
        return QString();
    if (smsc.trimmed().isEmpty())
        return QStringLiteral("Please enter Service Centre number!");
    if (!smsc.startsWith(QLatin1Char('+')))
        return QStringLiteral("Please enter Service Centre number in international format (e.g. +919812345678)!");
    return QString();
}

QString correctedSendDelay(const QString &typed, const QLocale &locale)
{
    const std::optional<double> value = parseNumericText(typed, locale);
    if (!value)
        return numberText(0.1, locale);
    const double rounded = roundHalfEven(*value, 1);
    if (rounded <= 0.1)
        return numberText(0.1, locale);
    if (rounded > 30)
        return QStringLiteral("30");
    return numberText(rounded, locale);
}

QString correctedSendRetry(const QString &typed, const QLocale &locale)
{
    const std::optional<double> value = parseNumericText(typed, locale);
    if (!value)
        return QStringLiteral("0");
    // Judged on the number itself, so a huge count is simply the maximum, not an overflow.
    const double whole = roundHalfEven(*value);
    if (whole < 0)
        return QStringLiteral("0");
    if (*value > 3)
        return QStringLiteral("3");
    return QString::number(int(whole));
}

void filterPinKey(int &KeyAscii)
{
    constexpr int kBackspace = 8;
    const bool digit = KeyAscii >= '0' && KeyAscii <= '9';
    if (!digit && KeyAscii != kBackspace)
        KeyAscii = 0;
}

} // namespace SettingsRules
