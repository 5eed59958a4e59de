#include "platform/gui/ColorButton.h"

#include "runtime/Color.h"

namespace platform {

ColorButton::ColorButton(QWidget* parent) : CommandButton(parent) {}

void ColorButton::setBackColor(int32_t rgb) {
    backColor_ = rgb;
    const QColor fill = rt::ColorFromRgbLong(rgb);
    // Dark colours carry light text, so the caption stays readable on every colour.
    const QColor text = fill.lightness() < 128 ? Qt::white : Qt::black;
    setStyleSheet(QStringLiteral("QPushButton { background-color: %1; color: %2; "
                                 "border: 1px solid #808080; padding: 2px; }")
                      .arg(fill.name(), text.name()));
}

}  // namespace platform
