#pragma once

#include "deliveryhistory.h"

#include <QWidget>

// The Delivery view's counts as four bars, delivered, pending, failed and expired, each with
// its count and share. Painted here: four rectangles need no charting library.
class DeliveryChart : public QWidget
{
    Q_OBJECT
public:
    explicit DeliveryChart(QWidget *parent = nullptr);

    void setCounts(const DeliveryCounts &counts);
    const DeliveryCounts &counts() const { return m_counts; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    DeliveryCounts m_counts;
};

// "delivered 3 (60%)": a status's count and its share of all, as the bars and a screen reader give it.
QString deliveryCountText(const DeliveryCounts &counts, gsm::DeliveryStatus status);
