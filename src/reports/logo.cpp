#include "reports/logo.h"

#include <QPainter>
#include <QPainterPath>

namespace orv::reports {

void paintLogo(QPainter &painter, const QRectF &rect)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const double s = qMin(rect.width(), rect.height());
    const QRectF r(rect.left(), rect.top(), s, s);
    // A dark ring with three rising steps: learning that builds up.
    const QColor blue(0x1f, 0x4e, 0x8c);
    painter.setPen(QPen(blue, s * 0.07));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(r.adjusted(s * 0.05, s * 0.05, -s * 0.05, -s * 0.05));
    painter.setPen(Qt::NoPen);
    painter.setBrush(blue);
    const double w = s * 0.16, gap = s * 0.04, base = r.top() + s * 0.74, left = r.left() + s * 0.24;
    for (int i = 0; i < 3; ++i) {
        const double h = s * (0.16 + 0.14 * i);
        painter.drawRect(QRectF(left + i * (w + gap), base - h, w, h));
    }
    painter.restore();
}

QPixmap logoPixmap(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    paintLogo(p, QRectF(0, 0, size, size));
    return pm;
}

} // namespace orv::reports
