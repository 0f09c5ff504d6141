#include "dbsource.h"

#include <cmath>
#include <cstdio>

bool dbIsWholeNumber(double value)
{
    // 2^53: beyond it doubles are all whole but no longer exact.
    return std::isfinite(value) && std::floor(value) == value && std::fabs(value) <= 9007199254740992.0;
}

std::string dbFormatNumber(double value)
{
    if (dbIsWholeNumber(value))
        return std::to_string(static_cast<long long>(value));
    if (!std::isfinite(value))
        return std::isnan(value) ? "NaN" : (value > 0 ? "Infinity" : "-Infinity");
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    // printf follows LC_NUMERIC, which Qt sets from the environment; the digits must not.
    for (char *c = buffer; *c; ++c)
        if (*c == ',')
            *c = '.';
    return buffer;
}
