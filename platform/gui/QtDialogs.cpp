#include "platform/gui/QtDialogs.h"

#include "platform/StringTable.h"
#include "runtime/Color.h"

#include <QFontDialog>

#include <QColorDialog>
#include <QInputDialog>
#include <QLineEdit>

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>

namespace platform {

void DismissOpenDialogs() {
    for (QWidget *popup = nullptr, *last = nullptr;
         (popup = QApplication::activePopupWidget()) && popup != last; last = popup)
        popup->close();
    for (QWidget *modal = nullptr, *last = nullptr;
         (modal = QApplication::activeModalWidget()) && modal != last; last = modal) {
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    }
}

namespace {

enum Text : int {
    TextOk = 7003,
    TextCancel = 7004,
};

}  // namespace

namespace {

QMessageBox::Icon toIcon(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::Critical:
            return QMessageBox::Critical;
        case MsgIcon::Question:
            return QMessageBox::Question;
        case MsgIcon::Exclamation:
            return QMessageBox::Warning;
        case MsgIcon::Information:
            return QMessageBox::Information;
        case MsgIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons toButtons(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::OK:
            return QMessageBox::Ok;
        case MsgButtons::OKCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case MsgButtons::AbortRetryIgnore:
            return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
        case MsgButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case MsgButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case MsgButtons::RetryCancel:
            return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

MsgAnswer toAnswer(int button) {
    switch (button) {
        case QMessageBox::Cancel:
            return MsgAnswer::Cancel;
        case QMessageBox::Abort:
            return MsgAnswer::Abort;
        case QMessageBox::Retry:
            return MsgAnswer::Retry;
        case QMessageBox::Ignore:
            return MsgAnswer::Ignore;
        case QMessageBox::Yes:
            return MsgAnswer::Yes;
        case QMessageBox::No:
            return MsgAnswer::No;
        default:
            return MsgAnswer::OK;
    }
}

QWidget* owner() {
    return QApplication::activeWindow();
}

}  // namespace

MsgAnswer QtDialogs::message(const QString& text, const QString& title, MsgIcon icon,
                             MsgButtons buttons) {
    QMessageBox box(toIcon(icon), title, text, toButtons(buttons), owner());
    return toAnswer(box.exec());
}

std::optional<QString> QtDialogs::openFileName(const QString& title, const QString& initialPath,
                                               const QString& filter) {
    const QString name = QFileDialog::getOpenFileName(owner(), title, initialPath, filter);
    if (name.isEmpty()) return std::nullopt;
    return name;
}

std::optional<QString> QtDialogs::saveFileName(const QString& title, const QString& initialPath,
                                               const QString& filter, int& filterIndex) {
    const QStringList filters = NameFilters(filter);
    QString selected = filters.value(filterIndex - 1);
    const QString name = QFileDialog::getSaveFileName(owner(), title, initialPath,
                                                      filters.join(QStringLiteral(";;")), &selected,
                                                      QFileDialog::DontConfirmOverwrite);
    if (name.isEmpty()) return std::nullopt;
    const qsizetype chosen = filters.indexOf(selected);
    if (chosen >= 0) filterIndex = static_cast<int>(chosen) + 1;
    return name;
}

QAction* QtDialogs::popup(QMenu& menu, const QPoint& globalPos) {
    return menu.exec(globalPos);
}

std::optional<QFont> QtDialogs::chooseFont(const QFont& initial) {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, QApplication::activeWindow());
    if (!ok) return std::nullopt;
    return font;
}

std::optional<int32_t> QtDialogs::chooseColor(int32_t initial) {
    const QColor colour =
        QColorDialog::getColor(rt::ColorFromRgbLong(initial), QApplication::activeWindow());
    if (!colour.isValid()) return std::nullopt;
    return rt::RgbLongFromColor(colour);
}

std::unique_ptr<QInputDialog> MakePasswordDialog(QWidget* parent, const QString& prompt,
                                                 const QString& title) {
    auto dialog = std::make_unique<QInputDialog>(parent);
    dialog->setWindowTitle(title);
    dialog->setLabelText(prompt);
    dialog->setTextEchoMode(QLineEdit::Password);
    dialog->setOkButtonText(LoadResText(TextOk));
    dialog->setCancelButtonText(LoadResText(TextCancel));
    return dialog;
}

std::optional<QString> QtDialogs::password(const QString& prompt, const QString& title) {
    const std::unique_ptr<QInputDialog> dialog =
        MakePasswordDialog(QApplication::activeWindow(), prompt, title);
    if (dialog->exec() != QDialog::Accepted) return std::nullopt;
    return dialog->textValue();
}

}  // namespace platform
