#include "mainwindow/download/StatusLog.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

namespace download {

void StatusLog::append(const QString& text, int32_t color) {
    // A cursor of the document's own, at its end: the user's selection and caret are not used.
    QTextCursor cursor(box_->document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    format.setForeground(rt::ColorFromRgbLong(color));
    QString shown = text + QStringLiteral("\r\n");
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // An empty line has no characters to carry a colour: its block carries it.
    cursor.setBlockCharFormat(format);
    cursor.insertText(shown, format);
    box_->verticalScrollBar()->setValue(box_->verticalScrollBar()->maximum());
}

std::vector<std::pair<QString, int32_t>> StatusLog::lines() const {
    std::vector<std::pair<QString, int32_t>> out;
    const QTextDocument* document = box_->document();
    // Every written line ends in a line break, so the document's last block is the empty one
    // after the last line.
    for (QTextBlock block = document->begin(); block.isValid() && block.next().isValid();
         block = block.next()) {
        const QTextCharFormat format = block.begin() != block.end()
                                           ? block.begin().fragment().charFormat()
                                           : block.charFormat();
        out.emplace_back(block.text(), rt::RgbLongFromColor(format.foreground().color()));
    }
    return out;
}

}  // namespace download
