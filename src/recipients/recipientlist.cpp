#include "recipientlist.h"

RecipientList::RecipientList(QObject *parent) : QAbstractListModel(parent)
{
    setObjectName(QStringLiteral("RecipientList"));
}

QString RecipientList::entry(int index) const
{
    if (index < 0 || index >= count())
        return QString();
    return m_entries.at(index);
}

bool RecipientList::append(const QString &text)
{
    if (isFull())
        return false;
    const int row = count();
    beginInsertRows(QModelIndex(), row, row);
    m_entries.append(text);
    ++m_counts[text];
    endInsertRows();
    return true;
}

int RecipientList::appendMany(const QStringList &texts)
{
    const int room = kMaxEntries - count();
    const int added = std::min<qsizetype>(room, texts.size());
    if (added <= 0)
        return 0;
    const int first = count();
    beginInsertRows(QModelIndex(), first, first + added - 1);
    for (int i = 0; i < added; ++i) {
        m_entries.append(texts.at(i));
        ++m_counts[texts.at(i)];
    }
    endInsertRows();
    return added;
}

void RecipientList::removeAt(int index)
{
    if (index < 0 || index >= count())
        return;
    beginRemoveRows(QModelIndex(), index, index);
    forget(m_entries.at(index));
    m_entries.removeAt(index);
    endRemoveRows();
}

void RecipientList::clear()
{
    if (m_entries.isEmpty())
        return;
    beginResetModel();
    m_entries.clear();
    m_counts.clear();
    endResetModel();
}

void RecipientList::forget(const QString &text)
{
    auto it = m_counts.find(text);
    if (it == m_counts.end())
        return;
    if (--it.value() <= 0)
        m_counts.erase(it);
}

int RecipientList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant RecipientList::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return QVariant();
    if (role == Qt::DisplayRole || role == Qt::EditRole || role == Qt::AccessibleTextRole)
        return m_entries.at(index.row());
    return QVariant();
}
