#include "importstatement.h"

#include <QRegularExpression>

namespace {

const QString kBlank = QStringLiteral(" ");

} // namespace

QStringList importConditionEntries()
{
    return {QString(),
            QStringLiteral("equals"),
            QStringLiteral("does not equal"),
            QStringLiteral("is greater than"),
            QStringLiteral("is greater than or equal to"),
            QStringLiteral("is less than"),
            QStringLiteral("is less than or equal to"),
            QStringLiteral("begins with"),
            QStringLiteral("does not begin with"),
            QStringLiteral("ends with"),
            QStringLiteral("does not end with")};
}


QString ConditionOperator(const QString &condition)
{
    const QString upper = trimSpaces(condition).toUpper();
    if (upper.isEmpty())
        return {};
    static const std::pair<const char *, const char *> kOperators[] = {
        {"EQUALS", "="},
        {"DOES NOT EQUAL", "<>"},
        {"IS GREATER THAN", ">"},
        {"IS GREATER THAN OR EQUAL TO", ">="},
        {"IS LESS THAN", "<"},
        {"IS LESS THAN OR EQUAL TO", "<="},
    };
    for (const auto &[entry, op] : kOperators) {
        if (upper == QLatin1String(entry))
            return QLatin1String(op);
    }
    return {};
}

bool isFilterActive(const ImportRequest &request)
{
    return !trimSpaces(request.filterColumn).isEmpty() && !trimSpaces(request.condition).isEmpty();
}

ImportStatement buildImportStatement(ImportSource source, const ImportRequest &request)
{
    ImportStatement result;
    const QString columns = request.numberColumn + (request.withFields ? QStringLiteral(", *") : QString());
    const QString base = source == ImportSource::Access
        ? ((request.withFields ? QStringLiteral("SELECT ") : QStringLiteral("SELECT distinct ")) + columns
           + QStringLiteral(" FROM ") + request.table).toUpper()
        : QStringLiteral("SELECT ") + columns + QStringLiteral(" FROM [") + request.table + QStringLiteral("]");
    result.statement = base;
    if (!isFilterActive(request))
        return result;

    const QString &value = request.filterValue;
    const QString op = ConditionOperator(request.condition);
    if (!op.isEmpty()) {
        const QString comparison = base + QStringLiteral(" WHERE ") + request.filterColumn + kBlank + op;
        result.statement = comparison + QStringLiteral(" '") + value + QStringLiteral("'");
        result.fallback = comparison + kBlank + value;
        return result;
    }

    // The pattern forms take the column trimmed but recognise the condition only as the
    // whole entry text; they have no unquoted variant.
    const QString column = trimSpaces(request.filterColumn);
    const QString pattern = request.condition.toUpper();
    if (pattern == QLatin1String("BEGINS WITH"))
        result.statement += QStringLiteral(" WHERE ") + column + QStringLiteral(" like '") + value + QStringLiteral("%'");
    else if (pattern == QLatin1String("DOES NOT BEGIN WITH"))
        result.statement += QStringLiteral(" WHERE not (") + column + QStringLiteral(" like '") + value + QStringLiteral("%')");
    else if (pattern == QLatin1String("ENDS WITH"))
        result.statement += QStringLiteral(" WHERE ") + column + QStringLiteral(" like '%") + value + QStringLiteral("'");
    else if (pattern == QLatin1String("DOES NOT END WITH"))
        result.statement += QStringLiteral(" WHERE not (") + column + QStringLiteral(" like '%") + value + QStringLiteral("')");
    return result;
}

QString validateImportRequest(ImportSource source, const ImportRequest &request)
{
    const bool pathEmpty = trimSpaces(request.path).isEmpty();
    const bool namesEmpty = trimSpaces(request.table).isEmpty() || trimSpaces(request.numberColumn).isEmpty();
    if (source == ImportSource::Access) {
        if (pathEmpty)
            return QStringLiteral("Please specify the Access database file to import phone numbers.");
        if (namesEmpty)
            return QStringLiteral("You must specify the table name and the mobile number column name.");
        return {};
    }
    if (pathEmpty)
        return QStringLiteral("Please specify the excel file to import phone numbers.");
    if (namesEmpty)
        return QStringLiteral("You must specify the worksheet name and the mobile number column name.");
    if (trimSpaces(request.numberColumn).contains(kBlank))
        return QStringLiteral("The mobile number column name should be one word without any space in it.");
    if (isFilterActive(request) && trimSpaces(request.filterColumn).contains(kBlank))
        return QStringLiteral("The filter column name should be one word without and space in it");
    return {};
}

QString excelValueListStatement(const QString &column, const QString &sheet)
{
    return QStringLiteral("SELECT distinct ") + column + QStringLiteral(" FROM [") + sheet
        + QStringLiteral("] order by ") + column;
}

QString accessValueListStatement(const QString &column, const QString &table)
{
    return QStringLiteral("SELECT distinct ") + column + QStringLiteral(" FROM ") + table
        + QStringLiteral(" order by ") + column;
}

QStringList splitPhoneListLines(const QString &content)
{
    if (content.isEmpty())
        return {};
    // Files written here end lines with CR LF; a file made by a Linux tool, with LF alone,
    // is one number per line too. A lone CR stays in its piece, which no number passes.
    static const QRegularExpression lineEnd(QStringLiteral("\r?\n"));
    return content.split(lineEnd);
}
