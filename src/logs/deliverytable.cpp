#include "deliverytable.h"

QString deliveryViewTime(const QDateTime &when)
{
    return when.isValid() ? when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QString();
}

void DeliveryTableModel::show(const QList<DeliveryRun> &runs)
{
    beginResetModel();
    m_runs = runs;
    m_lines.clear();
    for (int run = 0; run < m_runs.size(); ++run) {
        const DeliveryRun &r = m_runs.at(run);
        if (!r.error.isEmpty())
            m_lines.append(Line{run, -1});
        for (int row = 0; row < r.rows.size(); ++row)
            m_lines.append(Line{run, row});
    }
    endResetModel();
}

int DeliveryTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

int DeliveryTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString DeliveryTableModel::text(const Line &line, int column) const
{
    const DeliveryRun &run = m_runs.at(line.run);
    if (column == RunStart)
        return deliveryViewTime(run.started);
    if (line.row < 0) {
        if (column == Status)
            return QStringLiteral("unreadable");
        return column == Reason ? run.error : QString();
    }
    const DeliveryRow &row = run.rows.at(line.row);
    switch (column) {
    case Number: return row.number;
    case Modem: return row.modem;
    case Status: return gsm::statusName(row.status);
    case Reason: return row.reason;
    case Reported: return deliveryViewTime(row.reported);
    default: return {};
    }
}

QVariant DeliveryTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_lines.size())
        return {};
    const Line &line = m_lines.at(index.row());
    if (role == Qt::DisplayRole)
        return text(line, index.column());
    if (role == Qt::ToolTipRole) // the journal, and reasons too long for their column
        return index.column() == Reason ? text(line, Reason) : m_runs.at(line.run).fileName;
    return {};
}

QVariant DeliveryTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char *const kHeadings[ColumnCount] = {"Run", "Number", "Modem", "Status", "Reason", "Report time"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(kHeadings[section]) : QVariant();
}
