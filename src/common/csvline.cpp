#include "csvline.h"

QByteArray csvLine(const QStringList &fields)
{
    QStringList cells;
    for (QString field : fields) {
        if (field.contains(QLatin1Char(',')) || field.contains(QLatin1Char('"')) || field.contains(QLatin1Char('\n'))
            || field.contains(QLatin1Char('\r')))
            field = QLatin1Char('"') + field.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
        cells << field;
    }
    return (cells.join(QLatin1Char(',')) + QLatin1String("\r\n")).toUtf8();
}
