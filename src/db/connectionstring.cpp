#include "connectionstring.h"

#include "common/error.h"
#include "dberrors.h"

#include <QMap>

namespace {

[[noreturn]] void fail(const QString &description)
{
    throw QuilloError(DbErrors::kBadConnectionString, description, DbErrors::kSourceLayer);
}

QMap<QString, QString> split(const QString &text)
{
    QMap<QString, QString> pairs;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype eq = text.indexOf(u'=', i);
        const qsizetype semi = text.indexOf(u';', i);
        if (eq < 0 || (semi >= 0 && semi < eq)) {
            // A segment without '=': only blanks are allowed there.
            const QString junk = text.mid(i, semi < 0 ? -1 : semi - i);
            if (!junk.trimmed().isEmpty())
                fail(QStringLiteral("The connection string cannot be read near \"%1\".").arg(junk));
            if (semi < 0)
                break;
            i = semi + 1;
            continue;
        }
        const QString key = text.mid(i, eq - i).trimmed().toUpper();
        qsizetype valueStart = eq + 1;
        QString value;
        qsizetype next;
        const qsizetype brace = valueStart;
        if (brace < text.size() && text.at(brace) == u'{') {
            const qsizetype close = text.indexOf(u'}', brace + 1);
            if (close < 0)
                fail(QStringLiteral("The connection string has an unclosed '{'."));
            value = text.mid(brace + 1, close - brace - 1);
            const qsizetype after = text.indexOf(u';', close + 1);
            next = after < 0 ? text.size() : after + 1;
        } else {
            const qsizetype end = text.indexOf(u';', valueStart);
            value = text.mid(valueStart, end < 0 ? -1 : end - valueStart);
            next = end < 0 ? text.size() : end + 1;
        }
        if (!pairs.contains(key)) // ODBC takes the first occurrence of a key
            pairs.insert(key, value);
        i = next;
    }
    return pairs;
}

} // namespace

DbConnectionString DbConnectionString::parse(const QString &text)
{
    const QMap<QString, QString> pairs = split(text);
    DbConnectionString result;
    const QString driver = pairs.value(QStringLiteral("DRIVER")).trimmed();
    // The newer desktop drivers' names list the newer file kinds; both open every kind.
    const auto named = [&](const char *name) { return driver.compare(QLatin1String(name), Qt::CaseInsensitive) == 0; };
    if (named("Microsoft Access Driver (*.mdb)") || named("Microsoft Access Driver (*.mdb, *.accdb)"))
        result.driver = Driver::Access;
    else if (named("Microsoft Excel Driver (*.xls)") || named("Microsoft Excel Driver (*.xls, *.xlsx, *.xlsm, *.xlsb)"))
        result.driver = Driver::Excel;
    else
        fail(driver.isEmpty()
                 ? QStringLiteral("Data source name not found and no default driver specified.")
                 : QStringLiteral("The driver \"%1\" is not available: only the Microsoft Access "
                                  "Driver (*.mdb) and the Microsoft Excel Driver (*.xls) are.")
                       .arg(driver));
    result.path = pairs.value(QStringLiteral("DBQ"));
    if (result.path.trimmed().isEmpty())
        fail(QStringLiteral("The connection string names no database file (DBQ)."));
    return result;
}
