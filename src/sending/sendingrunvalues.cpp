#include "sendingrunvalues.h"

#include "common/error.h"
#include "common/errornumbers.h"
#include "common/numeric.h"

#include <cmath>

namespace runvalues {

namespace {

double toNumber(const QString &text)
{
    const std::optional<double> value = parseNumericText(text);
    if (!value || !std::isfinite(*value))
        throw QuilloError(ErrorNumber::kTypeMismatch, QStringLiteral("Type mismatch"));
    return *value;
}

} // namespace

qint64 toWhole(const QString &text, qint64 min, qint64 max)
{
    const double rounded = roundHalfEven(toNumber(text));
    if (rounded < double(min) || rounded > double(max))
        throw QuilloError(ErrorNumber::kOverflow, QStringLiteral("Overflow"));
    return qint64(rounded);
}

std::optional<QString> validityCode(const QString &stored)
{
    const QString trimmed = stored.trimmed();
    const qsizetype space = trimmed.indexOf(QLatin1Char(' '));
    // A space at index 0 cannot happen after trimming; at least one character must come
    // before it. The unit letter is the one character after the space.
    if (space < 1)
        return std::nullopt;
    return trimmed.left(space) + trimmed.mid(space + 1, 1);
}

std::optional<int> longMessageCode(const QString &choice)
{
    const QString upper = choice.toUpper();
    if (upper == QLatin1String("TRUNCATE"))
        return 0;
    if (upper == QLatin1String("SPLIT (NORMAL)"))
        return 1;
    if (upper == QLatin1String("SPLIT (FORMATTED)"))
        return 2;
    if (upper == QLatin1String("CONCATENATE"))
        return 3;
    return std::nullopt;
}

qint32 sendDelayMs(const QString &seconds)
{
    const double ms = roundHalfEven(toNumber(seconds) * 1000.0);
    if (ms < double(INT32_MIN) || ms > double(INT32_MAX))
        throw QuilloError(ErrorNumber::kOverflow, QStringLiteral("Overflow"));
    return qint32(ms);
}

void writePortSettings(SmsComponent &modem, const ComDetails &stored)
{
    modem.setPort(stored.Port);
    modem.setBaudRate(toInt32(stored.BaudRate));
    modem.setDataBits(toInt16(stored.DataBits));
    modem.setStopBits(stored.StopBits);
    modem.setParity(stored.Parity.left(1));
    modem.setCommTimeout(kModemTimeoutMs);
    modem.setPIN(stored.PIN);
    modem.setConnectTimeout(kModemTimeoutMs);
}

} // namespace runvalues
