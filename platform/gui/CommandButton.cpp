#include "platform/gui/CommandButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace platform {

CommandButton::CommandButton(QWidget* parent) : QPushButton(parent) {}

void CommandButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    // The caption, wrapped at blanks within the button's face; a mnemonic "&" stays hidden.
    const QRect face = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    QString shown = caption;
    shown.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    shown.remove(QLatin1Char('&'));
    shown.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(face.adjusted(2, 0, -2, 0), Qt::AlignCenter | Qt::TextWordWrap, shown);
}

}  // namespace platform
