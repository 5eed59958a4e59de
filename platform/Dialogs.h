#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

class QAction;
class QMenu;
class QPoint;

namespace platform {

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { OK, OKCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
// The answers keep the Basic values (vbOK = 1 ... vbNo = 7).
enum class MsgAnswer { OK = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

// The one service for message boxes and file dialogs. No code shows a box any other way,
// so tests can script every answer.
class Dialogs {
  public:
    virtual ~Dialogs() = default;

    virtual MsgAnswer message(const QString& text, const QString& title, MsgIcon icon,
                              MsgButtons buttons = MsgButtons::OK) = 0;
    // nullopt when the user cancels.
    virtual std::optional<QString> openFileName(const QString& title, const QString& initialPath,
                                                const QString& filter) = 0;
    // The Save As dialog. `filter` lists "description|pattern|description|pattern..." (an
    // entry without a pattern is left out); `filterIndex` (from 1) chooses the one shown and
    // returns the one the user took. The dialog asks no overwrite question of its own.
    virtual std::optional<QString> saveFileName(const QString& title, const QString& initialPath,
                                                const QString& filter, int& filterIndex) = 0;
    // A popup menu at a point of the screen: the entry the user takes is triggered and
    // returned (nullptr when none is taken).
    virtual QAction* popup(QMenu& menu, const QPoint& globalPos) = 0;
    // The font and the colour choosers: the choice, or nullopt when cancelled. Colours are
    // Basic RGB Longs.
    virtual std::optional<QFont> chooseFont(const QFont& initial) = 0;
    virtual std::optional<int32_t> chooseColor(int32_t initial) = 0;
    // A password another system asks for (the print system), its text hidden as it is typed:
    // nullopt when the user cancels. Without a way to ask, the request is cancelled.
    virtual std::optional<QString> password(const QString& prompt, const QString& title) {
        (void)prompt;
        (void)title;
        return std::nullopt;
    }
};

// The Qt name filters of a "description|pattern|..." list, in its order.
QStringList NameFilters(const QString& filter);

}  // namespace platform
