#include "numeric.h"

#include <cmath>

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

} // namespace

std::optional<double> parseNumericText(const QString &text, const QLocale &locale)
{
    int begin = 0;
    int end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    if (begin == end)
        return std::nullopt;

    const QChar decimal = locale.decimalPoint().at(0);
    const QChar group = locale.groupSeparator().isEmpty() ? QChar() : locale.groupSeparator().at(0);

    // Rebuilt in C form for strtod: sign, digits, '.', digits, 'e', sign, digits.
    QByteArray plain;
    int i = begin;
    if (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))
        plain.append(text.at(i++).toLatin1());

    int mantissaDigits = 0;
    bool seenDecimal = false;
    for (; i < end; ++i) {
        const QChar c = text.at(i);
        if (c.isDigit() && c.unicode() < 128) {
            plain.append(c.toLatin1());
            ++mantissaDigits;
        } else if (c == decimal && !seenDecimal) {
            seenDecimal = true;
            plain.append('.');
        } else if (!group.isNull() && c == group && !seenDecimal && mantissaDigits > 0) {
            // a group separator only between digits of the whole part
            if (i + 1 >= end || !text.at(i + 1).isDigit())
                return std::nullopt;
        } else {
            break;
        }
    }
    if (mantissaDigits == 0)
        return std::nullopt;

    if (i < end) {
        const QChar e = text.at(i).toLower();
        if (e != QLatin1Char('e') && e != QLatin1Char('d'))
            return std::nullopt;
        plain.append('e');
        ++i;
        if (i < end && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-')))
            plain.append(text.at(i++).toLatin1());
        int exponentDigits = 0;
        for (; i < end && text.at(i).isDigit() && text.at(i).unicode() < 128; ++i, ++exponentDigits)
            plain.append(text.at(i).toLatin1());
        if (exponentDigits == 0 || i != end)
            return std::nullopt;
    }

    const double value = std::strtod(plain.constData(), nullptr);
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

bool IsNumericText(const QString &text, const QLocale &locale)
{
    return parseNumericText(text, locale).has_value();
}

double roundHalfEven(double value)
{
    // The default floating-point rounding mode rounds ties to even.
    return std::nearbyint(value);
}

double roundHalfEven(double value, int decimals)
{
    // Judge the tie on the shortest decimal text of the value, not on its binary image,
    // where 0.35 is a little below 0.35.
    const QString shortest = QString::number(value, 'f', 15);
    const double scale = std::pow(10.0, decimals);
    const double scaled = shortest.toDouble() * scale;
    const double floorPart = std::floor(scaled);
    const double fraction = scaled - floorPart;
    constexpr double kTieTolerance = 1e-9;
    double rounded;
    if (std::abs(fraction - 0.5) < kTieTolerance)
        rounded = std::fmod(floorPart, 2.0) == 0.0 ? floorPart : floorPart + 1.0;
    else
        rounded = std::round(scaled);
    return rounded / scale;
}
