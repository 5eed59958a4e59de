#pragma once

#include <QString>
#include <QWidget>

#include "mainwindow/common/Controls.h"

namespace shell {

// Gives the window title and every fixed text of the window its wording from the string table,
// in the table's order; a text that cannot be loaded ends the work there (its error reaches the
// caller), the controls not yet reached keeping their texts.
void SetCaptions(QWidget& window, const mainwindow::ControlRegistry& controls);

// Sets the text a control shows: a button's or a label's text, a frame's title, a grid's
// headings.
void SetCaption(QWidget* control, const QString& text);
// The text a control shows, as SetCaption was given it.
QString CaptionOf(const QWidget* control);

}  // namespace shell
