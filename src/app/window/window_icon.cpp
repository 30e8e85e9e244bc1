#include "app/window/window_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>

namespace tsl {

namespace {

QPixmap drawIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1f, 0x4e, 0x5f));
    painter.drawRoundedRect(QRectF(0.5, 0.5, s - 1, s - 1), s * 0.16, s * 0.16);

    // The time grid.
    painter.setPen(QPen(QColor(0x6f, 0x9f, 0xae), std::max<qreal>(1.0, s / 48)));
    for (int i = 1; i < 4; ++i) {
        qreal at = s * i / 4;
        painter.drawLine(QPointF(at, s * 0.12), QPointF(at, s * 0.88));
        painter.drawLine(QPointF(s * 0.12, at), QPointF(s * 0.88, at));
    }

    // Two traces merged onto it.
    auto trace = [&](const QColor& colour, std::initializer_list<qreal> heights) {
        QPainterPath path;
        int i = 0;
        for (qreal h : heights) {
            QPointF point(s * (0.14 + 0.72 * i / (static_cast<int>(heights.size()) - 1)), s * h);
            if (i++ == 0)
                path.moveTo(point);
            else
                path.lineTo(point);
        }
        painter.setPen(QPen(colour, std::max<qreal>(1.5, s / 14), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
    };
    trace(QColor(0xf2, 0xb1, 0x34), {0.70, 0.45, 0.55, 0.30, 0.38});
    trace(QColor(0xee, 0xf4, 0xf6), {0.82, 0.74, 0.62, 0.66, 0.50});
    return pixmap;
}

} // namespace

QIcon tessaloomIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(drawIcon(size));
    return icon;
}

} // namespace tsl
