#pragma once

#include "recipientfields.h"

#include <QAbstractListModel>
#include <QHash>
#include <QStringList>

// The RecipientList: the ordered destination numbers shown in lstMno, in insertion order,
// duplicates allowed. It is the model of the list view, so every change made here (by the
// typed entry, the imports or the sending run) shows at once.
//
// An entry may carry the other columns of the row it was imported from (recipientfields.h);
// they stay with it while it is in the list.
//
// Count and indices are 16-bit signed numbers in the operator's world, so the list holds
// at most kMaxEntries; append refuses anything beyond that instead of wrapping an index.
class RecipientList : public QAbstractListModel
{
    Q_OBJECT
public:
    static constexpr int kMaxEntries = 32767;

    explicit RecipientList(QObject *parent = nullptr);

    int count() const { return int(m_entries.size()); }
    bool isFull() const { return count() >= kMaxEntries; }
    // The entry at index, or empty text when index is outside the list (the sending run
    // tests for an empty list by reading entry 0).
    QString entry(int index) const;
    const QStringList &entries() const { return m_entries; }
    // A key that stays with the entry at index while other entries come and go (0 outside
    // the list): long operations that let events run follow entries by it, not by index.
    quint64 entryKey(int index) const;

    // The columns of the entry at index; none outside the list.
    RecipientFields fields(int index) const { return m_fields.value(index); }
    // One per entry, in order.
    const QList<RecipientFields> &allFields() const { return m_fields; }
    // True when some entry carries columns.
    bool hasFields() const { return m_entriesWithFields > 0; }

    // Appends the text exactly as given; false (and nothing changes) when the list is full.
    bool append(const QString &text, const RecipientFields &fields = {});
    // Appends as many of texts as fit in one model change; returns how many were added.
    // fields, when given, holds the columns of each text.
    int appendMany(const QStringList &texts, const QList<RecipientFields> &fields = {});
    // Removes the entry at index; an index outside the list is ignored.
    void removeAt(int index);
    // Removes number entries from first on, in one change of the model (a view relays out
    // once, not once per entry); the part outside the list is ignored.
    void removeRange(int first, int number);
    void clear();

    // True when some entry is exactly equal to text (case-sensitive, no trimming). Looked
    // up in a count table, so an import of thousands of numbers stays linear.
    bool IsNumberInList(const QString &text) const { return m_counts.contains(text); }

    // QAbstractListModel
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    void forget(const QString &text);

    QStringList m_entries;
    QList<quint64> m_keys; // parallel to m_entries
    QList<RecipientFields> m_fields; // parallel to m_entries
    int m_entriesWithFields = 0;
    quint64 m_nextKey = 1;
    QHash<QString, int> m_counts; // entry text -> how many times it is in the list
};
