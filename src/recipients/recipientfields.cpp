#include "recipientfields.h"

QString fieldValue(const RecipientFields &fields, const QString &name)
{
    for (const auto &[column, value] : fields) {
        if (column.compare(name, Qt::CaseInsensitive) == 0)
            return value.isNull() ? QStringLiteral("") : value;
    }
    return {};
}

QStringList fieldNames(const QList<RecipientFields> &fields)
{
    QStringList names;
    for (const RecipientFields &one : fields) {
        for (const auto &pair : one) {
            if (!names.contains(pair.first, Qt::CaseInsensitive))
                names << pair.first;
        }
    }
    return names;
}
