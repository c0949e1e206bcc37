#include "SampleCustomization.h"

#include <QPainter>

QPixmap SampleCustomization::GetApplicationIcon() const
{
    // A play symbol, drawn rather than shipped.
    QPixmap icon(32, 32);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x2d, 0x7d, 0xd2));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(1, 1, 30, 30);
    painter.setBrush(Qt::white);
    const QPointF triangle[] = {{12, 9}, {24, 16}, {12, 23}};
    painter.drawPolygon(triangle, 3);
    return icon;
}
