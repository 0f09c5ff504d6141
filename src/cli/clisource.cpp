#include "clisource.h"

#include "common/error.h"
#include "db/dbconnection.h"
#include "recipients/importconnections.h"
#include "recipients/importdatabase.h"
#include "recipients/importlistings.h"
#include "recipients/importtext.h"

#include <QFileInfo>

namespace {

QString firstOf(const std::function<void(const ImportListAdder &)> &list)
{
    QString first;
    list([&](const QString &entry) {
        if (first.isEmpty())
            first = entry;
    });
    return first;
}

// The boxes the dialog would show filled in: the first worksheet or table and its first
// column where the options name none.
QString completeRequest(ImportSource kind, ImportRequest &request)
{
    const QString path = request.path;
    DbConnection connection;
    connection.open(kind == ImportSource::Excel ? excelConnectionString(path) : accessConnectionString(path));
    if (request.table.isEmpty()) {
        request.table = firstOf([&](const ImportListAdder &add) {
            if (kind == ImportSource::Excel) {
                listWorksheets(connection, add);
                return;
            }
            auto tables = connection.openSchema(DbSchema::Tables);
            for (; !tables->eof(); tables->moveNext())
                add(tables->fields(QStringLiteral("TABLE_NAME")).value().toString());
        });
        if (request.table.isEmpty())
            return QStringLiteral("%1: no %2 holds any column").arg(path, kind == ImportSource::Excel ? "worksheet" : "table");
    }
    if (request.numberColumn.isEmpty()) {
        auto columns = connection.openSchema(DbSchema::Columns, {QString(), QString(), request.table, QString()});
        if (columns->eof())
            return QStringLiteral("%1: no %2 '%3' with columns").arg(path, kind == ImportSource::Excel ? "worksheet" : "table", request.table);
        request.numberColumn = columns->fields(QStringLiteral("COLUMN_NAME")).value().toString();
    }
    connection.close();
    return {};
}

} // namespace

QString importSource(const SourceOptions &source, Dialogs &dialogs, ImportList &list)
{
    const QFileInfo file(source.path);
    if (!file.exists())
        return QStringLiteral("%1: no such file").arg(source.path);
    if (!file.isFile() || !file.isReadable())
        return QStringLiteral("%1: cannot be read").arg(source.path);

    // The import dialog's two database panels and the kinds their pickers offer.
    static const QStringList kSpreadsheets{QStringLiteral("xls"), QStringLiteral("xlsx"), QStringLiteral("xlsm"),
                                           QStringLiteral("ods"), QStringLiteral("csv")};
    static const QStringList kDatabases{QStringLiteral("mdb"), QStringLiteral("accdb")};
    const QString suffix = file.suffix().toLower();
    if (!kSpreadsheets.contains(suffix) && !kDatabases.contains(suffix)) {
        if (!source.table.isEmpty() || !source.column.isEmpty() || !source.condition.isEmpty())
            return QStringLiteral("%1: a text file has no worksheet, table or column to choose").arg(source.path);
        importTextFile(dialogs, list, source.path, false);
        return {};
    }

    const ImportSource kind = kSpreadsheets.contains(suffix) ? ImportSource::Excel : ImportSource::Access;
    ImportRequest request{source.path, source.table, source.column, source.filterColumn, source.condition,
                          source.filterValue, source.withFields};
    try {
        if (const QString refusal = completeRequest(kind, request); !refusal.isEmpty())
            return refusal;
    } catch (...) {
        const QuilloError error = currentError();
        return QStringLiteral("%1: cannot be read: %2").arg(source.path, error.description());
    }
    ImportConnections connections;
    importDatabase(kind, request, false, dialogs, list, connections);
    return {};
}
