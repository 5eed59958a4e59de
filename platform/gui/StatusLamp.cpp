#include "platform/gui/StatusLamp.h"

#include <QPainter>
#include <algorithm>

#include "runtime/Color.h"

namespace platform {

StatusLamp::StatusLamp(QWidget* parent) : QWidget(parent) {}

void StatusLamp::setFillColor(int32_t rgb) {
    fill_ = rgb;
    update();
}

void StatusLamp::setBorderColor(int32_t rgb) {
    border_ = rgb;
    update();
}

void StatusLamp::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(rt::ColorFromRgbLong(border_), 1.5));
    painter.setBrush(rt::ColorFromRgbLong(fill_));
    const qreal side = std::min(width(), height()) - 2.0;
    painter.drawEllipse(QRectF((width() - side) / 2.0, (height() - side) / 2.0, side, side));
}

}  // namespace platform
