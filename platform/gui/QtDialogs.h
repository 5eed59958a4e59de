#pragma once

#include <QInputDialog>
#include <memory>

#include "platform/Dialogs.h"

class QWidget;

namespace platform {

// Message boxes and file dialogs on screen.
// The box a password is asked in: the prompt, a field that hides what is typed, OK and Cancel in
// the user's language.
std::unique_ptr<QInputDialog> MakePasswordDialog(QWidget* parent, const QString& prompt,
                                                 const QString& title);

// The program is asked to end: every popup and modal window open is closed, innermost first; a
// dismissed dialog answers as if the user had closed it. A window that refuses to close is left
// as it is.
void DismissOpenDialogs();

class QtDialogs : public Dialogs {
  public:
    MsgAnswer message(const QString& text, const QString& title, MsgIcon icon,
                      MsgButtons buttons) override;
    std::optional<QString> openFileName(const QString& title, const QString& initialPath,
                                        const QString& filter) override;
    std::optional<QString> saveFileName(const QString& title, const QString& initialPath,
                                        const QString& filter, int& filterIndex) override;
    QAction* popup(QMenu& menu, const QPoint& globalPos) override;
    std::optional<QFont> chooseFont(const QFont& initial) override;
    std::optional<int32_t> chooseColor(int32_t initial) override;
    std::optional<QString> password(const QString& prompt, const QString& title) override;
};

}  // namespace platform
