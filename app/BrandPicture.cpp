#include "app/BrandPicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace app {

QPixmap DrawBrandPicture(int width, int height) {
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(width / 130.0, height / 180.0);

    // Body with rubber boot.
    QLinearGradient boot(0, 0, 130, 0);
    boot.setColorAt(0, QColor(230, 120, 20));
    boot.setColorAt(1, QColor(170, 70, 0));
    p.setPen(QPen(QColor(90, 40, 0), 2));
    p.setBrush(boot);
    p.drawRoundedRect(QRectF(18, 12, 94, 160), 18, 18);

    // Face plate.
    p.setBrush(QColor(45, 48, 55));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(28, 24, 74, 136), 10, 10);

    // Display with five readings.
    p.setBrush(QColor(170, 210, 160));
    p.drawRoundedRect(QRectF(36, 34, 58, 52), 4, 4);
    p.setPen(QPen(QColor(40, 60, 40), 2));
    for (int i = 0; i < 5; ++i) {
        const double y = 42 + i * 9;
        p.drawLine(QPointF(41, y), QPointF(58, y));
        p.drawLine(QPointF(70, y), QPointF(89, y));
    }

    // Alarm lamp and buttons.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 30, 30));
    p.drawEllipse(QPointF(65, 100), 7, 7);
    p.setBrush(QColor(200, 200, 205));
    p.drawEllipse(QPointF(47, 124), 8, 8);
    p.drawEllipse(QPointF(83, 124), 8, 8);

    // Sensor grille.
    p.setPen(QPen(QColor(120, 120, 125), 2));
    for (int i = 0; i < 4; ++i)
        p.drawLine(QPointF(48, 142 + i * 4), QPointF(82, 142 + i * 4));
    return pixmap;
}

}  // namespace app
