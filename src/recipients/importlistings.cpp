#include "importlistings.h"

#include "db/dbconnection.h"
#include "importconnections.h"
#include "importdatabase.h"
#include "importstatement.h"

namespace {

const QString kTableName = QStringLiteral("TABLE_NAME");
const QString kColumnName = QStringLiteral("COLUMN_NAME");

std::unique_ptr<DbRecordset> columnsOf(DbConnection &schema, const QString &table)
{
    return schema.openSchema(DbSchema::Columns, {QString(), QString(), table, QString()});
}

bool hasNamedColumn(DbConnection &schema, const QString &table)
{
    auto columns = columnsOf(schema, table);
    bool found = false;
    const qint64 count = columns->recordCount();
    for (qint64 i = 0; i < count && !columns->eof() && !found; ++i) {
        found = !trimSpaces(columns->fields(kColumnName).value().toString()).isEmpty();
        columns->moveNext();
    }
    columns->close();
    return found;
}

} // namespace

std::unique_ptr<DbConnection> openSchemaConnection(const QString &workbookPath)
{
    auto schema = std::make_unique<DbConnection>();
    schema->setProvider(QStringLiteral("MSDASQL"));
    schema->setConnectionString(schemaConnectionString(workbookPath));
    schema->setCursorLocation(DbCursorLocation::Client);
    schema->open(QString(), QString(), QString());
    return schema;
}

void listWorksheets(DbConnection &schema, const ImportListAdder &add)
{
    auto tables = schema.openSchema(DbSchema::Tables);
    const qint64 count = tables->recordCount();
    for (qint64 i = 0; i < count && !tables->eof(); ++i) {
        const QString table = tables->fields(kTableName).value().toString();
        if (hasNamedColumn(schema, table))
            add(table);
        tables->moveNext();
    }
    tables->close();
}

void listColumns(DbConnection &schema, const QString &sheet, const ImportListAdder &add)
{
    const QString wanted = trimSpaces(sheet);
    auto tables = schema.openSchema(DbSchema::Tables);
    while (!tables->eof()) {
        const QString table = tables->fields(kTableName).value().toString();
        if (table == wanted) {
            auto columns = columnsOf(schema, table);
            while (!columns->eof()) {
                add(columns->fields(kColumnName).value().toString());
                columns->moveNext();
            }
            columns->close();
        }
        tables->moveNext();
    }
    tables->close();
}

void listValues(DbConnection &connection, const QString &statement, const ImportListAdder &add)
{
    auto records = connection.execute(statement);
    while (!records->eof()) {
        const QVariant value = records->fields(0).value();
        if (!value.isNull())
            add(importValueText(value));
        records->moveNext();
    }
    records->close();
}
