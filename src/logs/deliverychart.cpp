#include "deliverychart.h"

#include <QPaintEvent>
#include <QPainter>

namespace {

using gsm::DeliveryStatus;

struct Bar
{
    DeliveryStatus status;
    QColor colour;
};

const Bar kBars[] = {
    {DeliveryStatus::Delivered, QColor(0x2e, 0x7d, 0x32)},
    {DeliveryStatus::Pending, QColor(0xf9, 0xa8, 0x25)},
    {DeliveryStatus::Failed, QColor(0xc6, 0x28, 0x28)},
    {DeliveryStatus::Expired, QColor(0x75, 0x75, 0x75)},
};

constexpr int kMargin = 4;
constexpr int kGap = 6;

} // namespace

QString deliveryCountText(const DeliveryCounts &counts, DeliveryStatus status)
{
    const int total = counts.total();
    const int count = counts[status];
    return total == 0 ? QStringLiteral("%1 0").arg(gsm::statusName(status))
                      : QStringLiteral("%1 %2 (%3%)").arg(gsm::statusName(status)).arg(count).arg(qRound(100.0 * count / total));
}

DeliveryChart::DeliveryChart(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("picDeliveryChart"));
    setAccessibleName(QStringLiteral("Numbers by delivery status"));
    setCounts({});
}

void DeliveryChart::setCounts(const DeliveryCounts &counts)
{
    m_counts = counts;
    QStringList parts;
    for (const Bar &bar : kBars)
        parts << deliveryCountText(counts, bar.status);
    setAccessibleDescription(parts.join(QStringLiteral(", ")));
    update();
}

QSize DeliveryChart::sizeHint() const
{
    const int line = fontMetrics().height();
    return {360, 2 * kMargin + 4 * line + 3 * kGap};
}

void DeliveryChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QFontMetrics metrics = fontMetrics();
    const int line = metrics.height();
    int nameWidth = 0;
    int countWidth = 0;
    for (const Bar &bar : kBars) {
        nameWidth = std::max(nameWidth, metrics.horizontalAdvance(gsm::statusName(bar.status)));
        countWidth = std::max(countWidth, metrics.horizontalAdvance(
                                              deliveryCountText(m_counts, bar.status).section(u' ', 1)));
    }
    const int barLeft = kMargin + nameWidth + kGap;
    const int barSpace = std::max(0, width() - barLeft - kGap - countWidth - kMargin);
    // The longest bar fills the space, so small differences stay visible in a big run.
    int largest = 0;
    for (const Bar &bar : kBars)
        largest = std::max(largest, m_counts[bar.status]);

    int top = kMargin;
    for (const Bar &bar : kBars) {
        const int count = m_counts[bar.status];
        const int length = largest == 0 ? 0 : std::max(count > 0 ? 1 : 0, int(qint64(barSpace) * count / largest));
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(QRect(kMargin, top, nameWidth, line), Qt::AlignLeft | Qt::AlignVCenter, gsm::statusName(bar.status));
        painter.fillRect(QRect(barLeft, top + 2, length, line - 4), bar.colour);
        painter.drawText(QRect(barLeft + length + kGap, top, countWidth + kMargin, line), Qt::AlignLeft | Qt::AlignVCenter,
                         deliveryCountText(m_counts, bar.status).section(u' ', 1));
        top += line + kGap;
    }
}
