#include "mainwindow/library/LibraryIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace library {

namespace {

QIcon drawn(const std::function<void(QPainter&)>& draw) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    return QIcon(pixmap);
}

QIcon folder(bool open) {
    return drawn([open](QPainter& p) {
        p.setPen(QColor(150, 110, 20));
        p.setBrush(QColor(240, 200, 80));
        p.drawRect(QRectF(1.5, 3.5, 5, 2));
        if (open) {
            p.drawRect(QRectF(1.5, 5.5, 12, 8));
            p.setBrush(QColor(250, 220, 120));
            p.drawPolygon(QPolygonF(
                {QPointF(3.5, 8.5), QPointF(15.5, 8.5), QPointF(13.5, 13.5), QPointF(1.5, 13.5)}));
        } else {
            p.drawRect(QRectF(1.5, 5.5, 13, 8));
        }
    });
}

// A small trend line in a frame, in a colour of its own.
QIcon trend(const QColor& colour) {
    return drawn([colour](QPainter& p) {
        p.setPen(QColor(90, 90, 90));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(0.5, 1.5, 15, 13));
        p.setPen(QPen(colour, 1.6));
        p.drawPolyline(QPolygonF(
            {QPointF(2, 11), QPointF(5, 7), QPointF(8, 9), QPointF(11, 4), QPointF(14, 6)}));
    });
}

// A letter on a coloured square.
QIcon badge(const QColor& colour, const QString& letter) {
    return drawn([colour, letter](QPainter& p) {
        p.setPen(colour.darker(140));
        p.setBrush(colour);
        p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 2, 2);
        QFont f = p.font();
        f.setPixelSize(10);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRectF(1, 1, 14, 14), Qt::AlignCenter, letter);
    });
}

}  // namespace

platform::ImageList LibraryImages() {
    platform::ImageList images;
    images.add(QStringLiteral("QM-73"), drawn([](QPainter& p) {
                   p.setPen(QColor(40, 40, 40));
                   p.setBrush(QColor(230, 120, 20));
                   p.drawRoundedRect(QRectF(3.5, 0.5, 9, 15), 2, 2);
                   p.setBrush(QColor(200, 235, 200));
                   p.drawRect(QRectF(5.5, 3.5, 5, 4));
               }));
    images.add(QStringLiteral("CloseFolder"), folder(false));
    images.add(QStringLiteral("OpenFolder"), folder(true));
    images.add(QStringLiteral("Interval0"), trend(QColor(0, 90, 200)));
    images.add(QStringLiteral("Interval1"), trend(QColor(0, 150, 70)));
    images.add(QStringLiteral("Interval2"), trend(QColor(140, 60, 190)));
    images.add(QStringLiteral("Alarm0"), trend(QColor(220, 0, 0)));
    images.add(QStringLiteral("History"), badge(QColor(0, 130, 130), QStringLiteral("C")));
    images.add(QStringLiteral("AEvent"), badge(QColor(210, 40, 40), QStringLiteral("A")));
    images.add(QStringLiteral("TEvent"), badge(QColor(200, 130, 0), QStringLiteral("T")));
    images.add(QStringLiteral("PEvent"), badge(QColor(60, 90, 180), QStringLiteral("P")));
    images.add(QStringLiteral("Change"), badge(QColor(110, 110, 110), QStringLiteral("S")));
    images.add(QStringLiteral("Unreadable"), badge(QColor(150, 150, 150), QStringLiteral("?")));
    return images;
}

}  // namespace library
