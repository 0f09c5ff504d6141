#include "importdatabase.h"

#include "common/dialogs.h"
#include "common/error.h"
#include "db/dbconnection.h"
#include "importconnections.h"
#include "importfeedback.h"
#include "common/busypointer.h"
#include "importintake.h"
#include "phonelistcsv.h"

namespace {

struct SourceTexts
{
    QString noRows;
    ImportClosingTexts closing;
};

SourceTexts textsFor(ImportSource source)
{
    if (source == ImportSource::Access)
        return {QStringLiteral("No phone numbers found in selected Access database."),
                {QStringLiteral("Selected Access database is empty or does not contain any valid phone numbers!"),
                 QStringLiteral("Multiple entries of same phone number were found in the Access database and "
                                "were filtered while importing.")}};
    return {QStringLiteral("Selected Excel file column is empty"),
            {QStringLiteral("Selected Excel file column is empty or does not contain any valid phone numbers!"),
             QStringLiteral("Multiple entries of same phone number were found in the Excel file and were "
                            "filtered while importing.")}};
}

} // namespace

std::unique_ptr<DbRecordset> runImportStatement(DbConnection &connection, const ImportStatement &statement)
{
    try {
        return connection.execute(statement.statement);
    } catch (const QuilloError &) {
        if (statement.fallback.isEmpty())
            throw;
    }
    return connection.execute(statement.fallback);
}

void takeRecords(DbRecordset &records, ImportSource source, ImportIntake &intake, const QString &numberColumn)
{
    // The columns after field 0, all of them, the number column among them: it is left out.
    QList<int> others;
    QString number = trimSpaces(numberColumn);
    if (number.startsWith(QLatin1Char('[')) && number.endsWith(QLatin1Char(']')))
        number = number.mid(1, number.size() - 2);
    for (int i = 1; !number.isEmpty() && i < records.fieldCount(); ++i) {
        if (records.fields(i).name().compare(number, Qt::CaseInsensitive) != 0)
            others << i;
    }
    while (!records.eof()) {
        const QVariant value = records.fields(0).value();
        if (!value.isNull()) {
            QString candidate = trimSpaces(importValueText(value));
            // Excel keeps the apostrophe that marks a number typed as text.
            if (source == ImportSource::Excel && candidate.startsWith(QLatin1Char('\'')))
                candidate.remove(0, 1);
            RecipientFields fields;
            for (const int i : std::as_const(others)) {
                const DbField field = records.fields(i);
                fields.append({field.name(), field.value().isNull() ? QString() : importValueText(field.value())});
            }
            intake.take(candidate, fields);
        }
        records.moveNext();
    }
}

QString importValueText(const QVariant &value)
{
    if (value.typeId() == QMetaType::Double) {
        const double number = value.toDouble();
        // Whole numbers of phone-number size must never turn into 9.812345678e+09.
        if (number == static_cast<double>(static_cast<qint64>(number)) && qAbs(number) < 9.0e18)
            return QString::number(static_cast<qint64>(number));
        return QString::number(number, 'g', 15);
    }
    return value.toString();
}

void importDatabase(ImportSource source, const ImportRequest &request, bool append, Dialogs &dialogs,
                    ImportList &list, ImportConnections &connections)
{
    const QString refusal = validateImportRequest(source, request);
    if (!refusal.isEmpty()) {
        dialogs.exclamation(refusal);
        return;
    }
    const bool excel = source == ImportSource::Excel;
    const SourceTexts texts = textsFor(source);
    // A .csv list whose columns are wanted must name them unambiguously.
    if (excel && request.withFields && request.path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) {
        try {
            checkListCsv(request.path, request.numberColumn);
        } catch (const QuilloError &error) {
            dialogs.exclamation(error.description());
            return;
        }
    }

    BusyPointer busy(dialogs);
    busy.show();
    if (!append)
        list.clear();
    ImportIntake intake(list);
    std::unique_ptr<DbRecordset> records;
    try {
        if (excel)
            connections.OpenExcelConnection(request.path);
        else
            connections.OpenAccessConnection(request.path);
        DbConnection *connection = excel ? connections.ExcelConnection() : connections.AccessConnection();
        records = runImportStatement(*connection, buildImportStatement(source, request));
        if (records->eof()) {
            busy.restore();
            dialogs.exclamation(texts.noRows);
        } else {
            takeRecords(*records, source, intake, request.withFields ? request.numberColumn : QString());
            busy.restore();
            intake.showClosingMessage(dialogs, texts.closing);
        }
    } catch (...) {
        busy.restore();
        const QuilloError error = currentError(QStringLiteral("Quillo"));
        if (error.number() != 0)
            ImportErrorBox(dialogs, error);
        else if (excel)
            dialogs.exclamation(QStringLiteral("No records could be retrieved for specified condition."));
    }

    try {
        if (records && records->state() == kDbStateOpen)
            records->close();
    } catch (...) {
        noteIgnoredError("closing an import's records");
    }
    records.reset();
    if (excel)
        connections.releaseExcel();
    else
        connections.releaseAccess();
}
