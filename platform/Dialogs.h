#pragma once

#include <QString>
#include <optional>

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
    virtual std::optional<QString> saveFileName(const QString& title, const QString& initialPath,
                                                const QString& filter) = 0;
};

}  // namespace platform
