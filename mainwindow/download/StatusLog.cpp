#include "mainwindow/download/StatusLog.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <cmath>

namespace download {

namespace {

// Keeps a box's tab stops beyond the widest of its texts whenever the box's font changes.
class TabStops : public QObject {
  public:
    explicit TabStops(QTextEdit* box) : QObject(box), box_(box) {
        setObjectName(QStringLiteral("statusLogTabStops"));
        box->installEventFilter(this);
    }
    void setTexts(const QStringList& texts) {
        texts_ = texts;
        apply();
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == box_ && event->type() == QEvent::FontChange) apply();
        return QObject::eventFilter(watched, event);
    }

  private:
    void apply() {
        const QFontMetricsF metrics(box_->font());
        qreal widest = 0;
        for (const QString& text : texts_)
            widest = std::max(widest, metrics.horizontalAdvance(text));
        // A blank's width of room after the widest text.
        box_->setTabStopDistance(std::ceil(widest + metrics.horizontalAdvance(QLatin1Char(' '))));
    }

    QTextEdit* box_;
    QStringList texts_;
};

}  // namespace

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

void StatusLog::alignTabsAfter(const QStringList& texts) {
    auto* stops =
        box_->findChild<TabStops*>(QStringLiteral("statusLogTabStops"), Qt::FindDirectChildrenOnly);
    if (!stops) stops = new TabStops(box_);
    stops->setTexts(texts);
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
