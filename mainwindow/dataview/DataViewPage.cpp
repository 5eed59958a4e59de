#include "mainwindow/dataview/DataViewPage.h"

#include <QPainter>
#include <QPainterPath>

namespace dataview {

QPixmap TrendPointer(bool alarm, bool graph) {
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    // The arrow, its tip at the top left corner (the pointer's hot spot).
    QPainterPath arrow;
    arrow.moveTo(1, 1);
    arrow.lineTo(1, 19);
    arrow.lineTo(6, 14);
    arrow.lineTo(10, 22);
    arrow.lineTo(13, 20);
    arrow.lineTo(9, 13);
    arrow.lineTo(15, 13);
    arrow.closeSubpath();
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawPath(arrow);
    // The badge: red for an alarm trend, blue for an interval trend.
    const QRectF badge(15, 15, 16, 16);
    p.setBrush(alarm ? QColor(220, 0, 0) : QColor(0, 64, 200));
    p.setPen(QPen(Qt::black, 1));
    p.drawRoundedRect(badge, 3, 3);
    p.setPen(QPen(Qt::white, 2));
    if (graph) {
        const QPointF line[] = {{18, 27}, {21, 22}, {24, 25}, {28, 18}};
        p.drawPolyline(line, 4);
    } else {
        QFont font;
        font.setPixelSize(12);
        font.setBold(true);
        p.setFont(font);
        p.drawText(badge, Qt::AlignCenter, alarm ? QStringLiteral("A") : QStringLiteral("I"));
    }
    return picture;
}

namespace {

QLabel* picture(mainwindow::ControlFactory& factory, QWidget* page, const char* name, bool alarm,
                bool graph) {
    QLabel* label = factory.make<QLabel>(page, QString::fromLatin1(name));
    label->setPixmap(TrendPointer(alarm, graph));
    label->hide();
    return label;
}

}  // namespace

DataViewPage::DataViewPage(QWidget* page, mainwindow::ControlFactory& factory) {
    optBrowse.make(factory, page, QStringLiteral("optBrowse"), 2);
    chkEvent = factory.make<QCheckBox>(page, QStringLiteral("chkEvent"));
    chkOutline = factory.make<QCheckBox>(page, QStringLiteral("chkOutline"));
    vfgSummary = factory.make<platform::FlexGrid>(page, QStringLiteral("vfgSummary"));
    vfgSummary->hide();
    vfgSummary->setExtendLastCol(true);  // the values take the width the labels leave
    vfgBrowse = factory.make<platform::FlexGrid>(page, QStringLiteral("vfgBrowse"));
    zvdGraph = factory.make<graph::uclZvdGraph>(page, QStringLiteral("zvdGraph"));
    chkBrowse.make(factory, page, QStringLiteral("chkBrowse"), 7);
    lblTitle1 = factory.make<QLabel>(page, QStringLiteral("lblTitle"), 1);
    cmbBrowse = factory.make<QComboBox>(page, QStringLiteral("cmbBrowse"));
    cmdBrowse.make(factory, page, QStringLiteral("cmdBrowse"), 5);
    // The buttons the layout places stay whole over the one it leaves where it stands.
    for (int i : {0, 2, 3, 4})
        cmdBrowse[i]->raise();
    Alarm0 = picture(factory, page, "Alarm0", true, false);
    Interval0 = picture(factory, page, "Interval0", false, false);
    AlarmG = picture(factory, page, "AlarmG", true, true);
    IntervalG = picture(factory, page, "IntervalG", false, true);
}

}  // namespace dataview
