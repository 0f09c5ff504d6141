#include "worksheetcolumns.h"

#include <QSet>
#include <QString>

void WorksheetColumns::Tally::count(const DbCell &cell, bool isDate)
{
    if (cell.type == DbCell::Type::Null)
        return;
    if (isDate)
        ++dates;
    else if (cell.type == DbCell::Type::Text)
        ++texts;
    else
        ++numbers;
}

std::vector<DbColumnInfo> WorksheetColumns::fromHeadings(const std::vector<DbCell> &headings,
                                                         const std::vector<Tally> &tallies)
{
    std::vector<DbColumnInfo> columns;
    QSet<QString> taken;
    for (std::size_t c = 0; c < headings.size(); ++c) {
        const DbCell &cell = headings[c];
        QString heading;
        if (cell.type == DbCell::Type::Text)
            heading = QString::fromStdString(cell.text);
        else if (cell.type == DbCell::Type::Integer)
            heading = QString::number(cell.integer);
        else if (cell.type == DbCell::Type::Real)
            heading = QString::fromStdString(dbFormatNumber(cell.real));
        if (heading.trimmed().isEmpty())
            heading = QStringLiteral("F%1").arg(c + 1);
        QString unique = heading;
        for (int n = 1; taken.contains(unique.toCaseFolded()); ++n)
            unique = heading + QString::number(n);
        taken.insert(unique.toCaseFolded());

        const Tally t = c < tallies.size() ? tallies[c] : Tally();
        DbColumnKind kind = DbColumnKind::Text;
        if (t.dates > 0 && t.numbers == 0 && t.texts == 0)
            kind = DbColumnKind::Date;
        else if (t.numbers > t.texts + t.dates)
            kind = DbColumnKind::Number;
        columns.push_back({unique.toStdString(), kind});
    }
    return columns;
}
