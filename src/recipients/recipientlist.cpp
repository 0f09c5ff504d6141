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

quint64 RecipientList::entryKey(int index) const
{
    if (index < 0 || index >= count())
        return 0;
    return m_keys.at(index);
}

bool RecipientList::append(const QString &text, const RecipientFields &fields)
{
    if (isFull())
        return false;
    const int row = count();
    beginInsertRows(QModelIndex(), row, row);
    m_entries.append(text);
    m_keys.append(m_nextKey++);
    m_fields.append(fields);
    m_entriesWithFields += !fields.isEmpty();
    ++m_counts[text];
    endInsertRows();
    return true;
}

int RecipientList::appendMany(const QStringList &texts, const QList<RecipientFields> &fields)
{
    const int room = kMaxEntries - count();
    const int added = std::min<qsizetype>(room, texts.size());
    if (added <= 0)
        return 0;
    const int first = count();
    beginInsertRows(QModelIndex(), first, first + added - 1);
    for (int i = 0; i < added; ++i) {
        m_entries.append(texts.at(i));
        m_keys.append(m_nextKey++);
        m_fields.append(fields.value(i));
        m_entriesWithFields += !m_fields.last().isEmpty();
        ++m_counts[texts.at(i)];
    }
    endInsertRows();
    return added;
}

void RecipientList::removeAt(int index)
{
    removeRange(index, 1);
}

void RecipientList::removeRange(int first, int number)
{
    const int begin = std::max(first, 0);
    const int end = std::min(qint64(first) + number, qint64(count())); // one past the last
    if (begin >= end)
        return;
    beginRemoveRows(QModelIndex(), begin, end - 1);
    for (int i = begin; i < end; ++i) {
        forget(m_entries.at(i));
        m_entriesWithFields -= !m_fields.at(i).isEmpty();
    }
    m_entries.remove(begin, end - begin);
    m_keys.remove(begin, end - begin);
    m_fields.remove(begin, end - begin);
    endRemoveRows();
}

void RecipientList::clear()
{
    if (m_entries.isEmpty())
        return;
    beginResetModel();
    m_entries.clear();
    m_keys.clear();
    m_fields.clear();
    m_entriesWithFields = 0;
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
