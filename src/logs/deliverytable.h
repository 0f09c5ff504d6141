#pragma once

#include "deliveryhistory.h"

#include <QAbstractTableModel>

// The Delivery view's table: one line per number of the runs shown, and one for each of them
// whose journal cannot be read. A model rather than a table of items, since all runs of a
// busy logs folder make hundreds of thousands of lines.
class DeliveryTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { RunStart, Number, Modem, Status, Reason, Reported, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    void show(const QList<DeliveryRun> &runs);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct Line
    {
        int run = 0;
        int row = -1; // -1: the line saying the run's journal cannot be read
    };
    QString text(const Line &line, int column) const;

    QList<DeliveryRun> m_runs;
    QList<Line> m_lines;
};

// Times as the view shows them, to the second.
QString deliveryViewTime(const QDateTime &when);
