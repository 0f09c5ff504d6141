#include "csvline.h"

#include <algorithm>

QString csvField(const QString &text, bool quoteAlways)
{
    static const QString kSpecial = QStringLiteral(",;\"\r\n");
    const bool quote = (quoteAlways && !text.isEmpty())
                       || std::any_of(text.begin(), text.end(), [](QChar c) { return kSpecial.contains(c); });
    if (!quote)
        return text;
    QString doubled = text;
    doubled.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}

QByteArray csvLine(const QStringList &fields)
{
    QStringList cells;
    for (const QString &field : fields)
        cells << csvField(field);
    return (cells.join(QLatin1Char(',')) + QLatin1String("\r\n")).toUtf8();
}
