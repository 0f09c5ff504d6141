#pragma once

#include "common/error.h"
#include "db/dbconnection.h"
#include "independentfiles.h"
#include "qstringprinter.h"

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

namespace DbTest {

inline QString testData(const QString &relative) { return QStringLiteral(QUILLO_TEST_DATA_DIR "/db/") + relative; }

inline QString accessString(const QString &path)
{
    return QStringLiteral("DRIVER=MICROSOFT ACCESS DRIVER (*.MDB);DBQ=") + path + u';';
}

inline QString excelString(const QString &path)
{
    return QStringLiteral("DRIVER=MICROSOFT EXCEL DRIVER (*.XLS);DBQ=") + path + u';';
}

// A value as the import reads it: "<null>" for Null, else the text form.
inline QString text(const QVariant &v) { return v.isNull() ? QStringLiteral("<null>") : v.toString(); }

inline QStringList column0(DbConnection &connection, const QString &statement)
{
    QStringList values;
    auto rs = connection.execute(statement);
    for (; !rs->eof(); rs->moveNext())
        values << text(rs->fields(0).value());
    rs->close();
    return values;
}

// The values of one field over all rows of a schema record set.
inline QStringList schemaNames(DbRecordset &rs, const QString &field)
{
    QStringList names;
    for (; !rs.eof(); rs.moveNext())
        names << rs.fields(field).value().toString();
    return names;
}

// Each table's columns (all, or the chosen ones) as "table: name:DATA_TYPE ...", then their
// values row by row joined by " | "; every table when none is named.
inline QStringList listing(const QString &connectionString, QStringList tables = {}, const QStringList &chosen = {})
{
    DbConnection c;
    c.open(connectionString);
    if (tables.isEmpty())
        tables = schemaNames(*c.openSchema(DbSchema::Tables), QStringLiteral("TABLE_NAME"));
    QStringList lines;
    for (const QString &table : tables) {
        QStringList names, types;
        auto schema = c.openSchema(DbSchema::Columns, {QString(), QString(), table, QString()});
        for (; !schema->eof(); schema->moveNext()) {
            const QString name = schema->fields(QStringLiteral("COLUMN_NAME")).value().toString();
            if (chosen.isEmpty() || chosen.contains(name)) {
                names << name;
                types << name + u':' + text(schema->fields(QStringLiteral("DATA_TYPE")).value());
            }
        }
        lines << table + QStringLiteral(": ") + types.join(u' ');
        if (names.isEmpty())
            continue;
        auto rows = c.execute(QStringLiteral("SELECT [%1] FROM [%2]").arg(names.join(QStringLiteral("], [")), table));
        for (; !rows->eof(); rows->moveNext()) {
            QStringList values;
            for (int i = 0; i < names.size(); ++i)
                values << text(rows->fields(i).value());
            lines << values.join(QStringLiteral(" | "));
        }
    }
    return lines;
}

inline QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

// Runs call and expects a QuilloError with the given number (any nonzero one for 0), a
// description and a source.
template <typename Call>
void expectError(qint32 number, const Call &call, const QString &what = {})
{
    try {
        call();
        ADD_FAILURE() << "no error: " << what.toStdString();
    } catch (const QuilloError &e) {
        EXPECT_TRUE(number ? e.number() == number : e.number() != 0) << e.number() << " " << what.toStdString();
        EXPECT_FALSE(e.description().isEmpty()) << what.toStdString();
        EXPECT_FALSE(e.source().isEmpty()) << what.toStdString();
    }
}

} // namespace DbTest
