#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

#include "platform/gui/FlexGrid.h"
#include "platform/gui/FlexGridModel.h"
#include "platform/gui/FlexGridView.h"

namespace platform {

bool FlexGrid::isCellEditable(int row, int col) const {
    if (!editable_ || row < 0 || col < 0 || row >= Rows() || col >= Cols()) return false;
    if (model_->isFixed(row, col)) return false;
    return model_->cellBackColor(row, col) != model_->backColorFixed();
}

int FlexGrid::CellChecked(int row, int col) const {
    return model_->checked(row, col);
}

void FlexGrid::setCellChecked(int row, int col, int state) {
    model_->setChecked(row, col, state);
}

bool FlexGrid::EditCell() {
    if (isEditing()) return true;
    const int row = row_, col = col_;
    if (!isCellEditable(row, col)) return false;
    bool cancel = false;
    emit BeforeEdit(row, col, cancel);
    // The handler may have moved the current cell; the edit is of the cell it was asked for.
    if (cancel || !isCellEditable(row, col)) return false;
    editRow_ = row;
    editCol_ = col;
    if (model_->checked(row, col) != 0) return toggleCheck();
    openEditor(model_->text(row, col));
    return true;
}

bool FlexGrid::toggleCheck() {
    const int row = editRow_, col = editCol_;
    const int before = model_->checked(row, col);
    model_->setChecked(row, col, before == 1 ? 2 : 1);
    bool cancel = false;
    emit ValidateEdit(row, col, cancel);
    if (cancel) {
        model_->setChecked(row, col, before);
        return false;
    }
    emit AfterEdit(row, col);
    return true;
}

void FlexGrid::openEditor(const QString& text) {
    const QRect cell = view_->visualRect(model_->index(editRow_, editCol_));
    if (!comboList_.isEmpty()) {
        auto* list = new QComboBox(view_->viewport());
        list->addItems(comboList_.split(QLatin1Char('|')));
        list->setCurrentIndex(list->findText(text));
        editor_ = list;
    } else {
        auto* line = new QLineEdit(text, view_->viewport());
        line->selectAll();
        editor_ = line;
    }
    editor_->setGeometry(cell);
    editor_->installEventFilter(this);
    editor_->show();
    editor_->setFocus();
}

void FlexGrid::closeEditor() {
    if (!editor_) return;
    QWidget* editor = editor_;
    editor_ = nullptr;
    editor->removeEventFilter(this);
    editor->hide();
    editor->deleteLater();
    comboList_.clear();
    view_->setFocus();
}

QString FlexGrid::EditText() const {
    if (auto* line = qobject_cast<QLineEdit*>(editor_)) return line->text();
    if (auto* list = qobject_cast<QComboBox*>(editor_)) return list->currentText();
    return QString();
}

void FlexGrid::setEditText(const QString& text) {
    if (auto* line = qobject_cast<QLineEdit*>(editor_)) line->setText(text);
    if (auto* list = qobject_cast<QComboBox*>(editor_)) {
        const int at = list->findText(text);
        if (at >= 0) list->setCurrentIndex(at);
    }
}

bool FlexGrid::FinishEditing() {
    if (!editor_ || finishing_) return !editor_;
    finishing_ = true;
    const int row = editRow_, col = editCol_;
    bool cancel = false;
    emit ValidateEdit(row, col, cancel);
    finishing_ = false;
    if (cancel) {
        if (editor_) editor_->setFocus();
        return false;
    }
    if (!editor_) return true;  // the handler ended the edit itself
    const QString text = EditText();
    closeEditor();
    model_->setText(row, col, text);
    emit AfterEdit(row, col);
    return true;
}

void FlexGrid::CancelEditing() {
    closeEditor();
}

void FlexGrid::EndEditing() {
    if (editor_ && !finishing_ && !FinishEditing()) CancelEditing();
}

void FlexGrid::typeIntoEditor(QChar c) {
    auto* line = qobject_cast<QLineEdit*>(editor_);
    if (!line) return;
    int key = c.unicode();
    emit KeyPressEdit(editRow_, editCol_, key);
    if (key == 0) {
        QApplication::beep();
        return;
    }
    if (key == 8) {
        line->backspace();
        return;
    }
    line->insert(QString(QChar(key)));
}

bool FlexGrid::editorEvent(QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                FinishEditing();
                return true;
            }
            if (key->key() == Qt::Key_Escape) {
                CancelEditing();
                return true;
            }
            if (key->key() == Qt::Key_Backspace && qobject_cast<QLineEdit*>(editor_)) {
                typeIntoEditor(QChar(8));
                return true;
            }
            const QString text = key->text();
            if (text.size() == 1 && text.at(0).isPrint() && qobject_cast<QLineEdit*>(editor_)) {
                typeIntoEditor(text.at(0));
                return true;
            }
            return false;
        }
        case QEvent::FocusOut:
            // A window that closes drops the edit; leaving the cell otherwise finishes it, and
            // a refused text never stays: the old one comes back.
            if (editor_ && !finishing_ && !window()->isVisible())
                CancelEditing();
            else
                EndEditing();
            return false;
        default:
            return false;
    }
}

}  // namespace platform
